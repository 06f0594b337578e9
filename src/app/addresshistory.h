#pragma once
// The address bar's history: addresses as typed (FTP ones in URL form), newest first, kept
// as a NUL-separated list in cfg.dat.
#include <string>
#include <vector>

namespace varnel {

// An FTP address in the bar's URL form becomes the catalog's FTP name, and back; other
// texts are returned unchanged.
std::string addressToName(std::string text);

// Puts `address` at the front of the history (once), dropping the oldest entries while the
// list holds more than 2048 bytes. With `checkLength`, an address of 2048 bytes or more is
// not remembered. Returns whether the history changed.
bool rememberAddress(std::string& history, const std::string& address, bool checkLength);

std::vector<std::string> historyEntries(const std::string& history);

}  // namespace varnel
