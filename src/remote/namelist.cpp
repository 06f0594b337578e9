#include "remote/namelist.h"

#include <cstring>

#include "catalog/tables.h"  // equalIgnoringCase

namespace varnel {

void NameList::assign(std::string_view bytes) {
    bytes = bytes.substr(0, kCapacity);
    size_t lastNul = bytes.rfind('\0');
    used_ = lastNul == std::string_view::npos ? 0 : lastNul + 1;
    std::memcpy(buffer_.data(), bytes.data(), used_);
}

size_t NameList::offsetOf(int index) const {
    if (index < 0) return used_;
    size_t at = 0;
    for (int i = 0; i < index && at < used_; ++i) at += std::strlen(buffer_.data() + at) + 1;
    return at;
}

int NameList::find(std::string_view key) const {
    int index = 0;
    for (size_t at = 0; at < used_; ++index) {
        std::string_view entry(buffer_.data() + at);
        if (equalIgnoringCase(entry, key)) return index;
        at += entry.size() + 1;
    }
    return -1;
}

const char* NameList::get(int index) const {
    size_t at = offsetOf(index);
    return at < used_ ? buffer_.data() + at : nullptr;
}

int NameList::count() const {
    int n = 0;
    for (size_t at = 0; at < used_; ++n) at += std::strlen(buffer_.data() + at) + 1;
    return n;
}

bool NameList::prepend(std::string_view text) {
    if (text.find('\0') != std::string_view::npos || used_ + text.size() + 1 > kCapacity)
        return false;
    std::memmove(buffer_.data() + text.size() + 1, buffer_.data(), used_);
    std::memcpy(buffer_.data(), text.data(), text.size());
    buffer_[text.size()] = '\0';
    used_ += text.size() + 1;
    return true;
}

bool NameList::append(std::string_view text) {
    if (text.find('\0') != std::string_view::npos || used_ + text.size() + 1 > kCapacity)
        return false;
    std::memcpy(buffer_.data() + used_, text.data(), text.size());
    buffer_[used_ + text.size()] = '\0';
    used_ += text.size() + 1;
    return true;
}

bool NameList::remove(std::string_view key) {
    return removeAt(find(key));
}

bool NameList::removeAt(int index) {
    size_t at = offsetOf(index);
    if (at >= used_) return false;
    size_t length = std::strlen(buffer_.data() + at) + 1;
    std::memmove(buffer_.data() + at, buffer_.data() + at + length, used_ - at - length);
    used_ -= length;
    return true;
}

void NameList::dropLast() {
    if (used_ == 0) return;
    // The last string starts after the NUL before the final one.
    size_t at = used_ - 1;
    while (at > 0 && buffer_[at - 1] != '\0') --at;
    used_ = at;
}

void NameList::trim() {
    while (used_ > kTrimmedSize) dropLast();
}

}  // namespace varnel
