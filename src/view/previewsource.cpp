#include "view/previewsource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "catalog/tables.h"
#include "query/lists.h"

namespace varnel {

namespace {

// Tab, line feed, vertical tab, form feed, carriage return, backspace and escape turn up
// in text files; other control bytes hardly ever do.
bool isStrayControl(unsigned char c) {
    if (c == 0x7F) return true;
    if (c >= 0x20) return false;
    return !(c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\b' ||
             c == 0x1B);
}

// The length of the valid UTF-8 sequence at `at`; 0 when it is not one, -1 when the bytes
// end inside an otherwise valid sequence.
int utf8SequenceAt(std::string_view bytes, size_t at) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (at + k >= bytes.size()) return -1;
        const unsigned char c = byte(at + k);
        if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF)) return 0;
    }
    return length;
}

// Where valid UTF-8 ends: bytes.size() when all of it is, the start of a sequence cut by the
// end when `cut` allows one, else npos.
size_t validUtf8Length(std::string_view bytes, bool cut) {
    for (size_t at = 0; at < bytes.size();) {
        const int length = utf8SequenceAt(bytes, at);
        if (length < 0) return cut ? at : std::string_view::npos;
        if (length == 0) return std::string_view::npos;
        at += static_cast<size_t>(length);
    }
    return bytes.size();
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool isImage(std::string_view head) {
    if (startsWith(head, "\x89PNG\r\n\x1A\n") || startsWith(head, "\xFF\xD8\xFF") ||
        startsWith(head, "GIF87a") || startsWith(head, "GIF89a") ||
        startsWith(head, std::string_view("II*\0", 4)) ||
        startsWith(head, std::string_view("MM\0*", 4)))
        return true;
    if (startsWith(head, "RIFF") && head.size() >= 12 && head.substr(8, 4) == "WEBP") return true;
    // "BM" alone starts many a text; a bitmap's info header has one of a few sizes.
    if (startsWith(head, "BM") && head.size() >= 18) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(head[k]); };
        const uint32_t info = byte(14) | byte(15) << 8 | byte(16) << 16 | uint32_t{byte(17)} << 24;
        return info == 12 || info == 40 || info == 52 || info == 56 || info == 108 || info == 124;
    }
    return false;
}

// A page that says it is one, whatever its name: "<!DOCTYPE html" or "<html" first.
bool looksLikeHtml(std::string_view head) {
    if (startsWith(head, "\xEF\xBB\xBF")) head.remove_prefix(3);
    const size_t first = head.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return false;
    head.remove_prefix(first);
    return startsWithIgnoringCase(head, "<!doctype html") || startsWithIgnoringCase(head, "<html");
}

// Reads until `into` is full or the file ends; false on a read error.
bool readUpTo(int fd, std::string& into, size_t& got) {
    while (got < into.size()) {
        const ssize_t n = ::read(fd, into.data() + got, into.size() - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
        } else if (n == 0) {
            return true;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

}  // namespace

TextSniff sniffText(std::string_view bytes, bool cut) {
    TextSniff sniff;
    size_t strays = 0;
    for (char c : bytes) {
        if (c == '\0') return sniff;
        strays += isStrayControl(static_cast<unsigned char>(c));
    }
    // One stray control byte in a hundred is the most a text shows.
    if (strays * 100 > bytes.size()) return sniff;
    sniff.isText = true;
    sniff.encoding = validUtf8Length(bytes, cut) == std::string_view::npos ? TextEncoding::Latin1
                                                                           : TextEncoding::Utf8;
    return sniff;
}

PreviewKind previewKindOf(std::string_view name, std::string_view head, bool cut) {
    head = head.substr(0, kPreviewSniffBytes);
    cut = cut || head.size() == kPreviewSniffBytes;
    // The header may follow some bytes of junk, as readers allow.
    if (head.substr(0, 1024).find("%PDF-") != std::string_view::npos) return PreviewKind::Pdf;
    if (isImage(head)) return PreviewKind::Image;
    if (!sniffText(head, cut).isText) return PreviewKind::Other;
    const std::string nameText(name);
    if (extensionInList(nameText.c_str(), "htm,html,xhtml,shtml") || looksLikeHtml(head))
        return PreviewKind::Html;
    return PreviewKind::Text;
}

PreviewSource ReadPreviewSource(const std::string& path, size_t textLimit) {
    PreviewSource source;
    auto fail = [&](const char* what) {
        source.kind = PreviewKind::Other;
        source.text.clear();
        source.error = std::string(what) + " " + path + ": " + std::strerror(errno);
        return source;
    };
    // Non-blocking, so that a pipe cannot hold the open; only regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail("Cannot open");
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return fail("Cannot read");
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return fail("Not a file:");
    }

    std::string head(kPreviewSniffBytes, '\0');
    size_t got = 0;
    if (!readUpTo(fd, head, got)) return fail("Cannot read");
    head.resize(got);
    const size_t slash = path.rfind('/');
    const std::string_view name = std::string_view(path).substr(slash + 1);
    source.kind = previewKindOf(name, head, info.st_size > static_cast<off_t>(got));
    if (source.kind != PreviewKind::Text) return source;

    // One byte past the cap tells whether the text goes on.
    source.text = std::move(head);
    source.text.resize(std::max(textLimit + 1, got));
    if (!readUpTo(fd, source.text, got)) return fail("Cannot read");
    source.textCut = got > textLimit;
    source.text.resize(std::min(got, textLimit));
    const TextSniff sniff = sniffText(source.text, source.textCut);
    if (!sniff.isText) {
        source.kind = PreviewKind::Other;
        source.text.clear();
        return source;
    }
    source.encoding = sniff.encoding;
    // A character cut by the cap is left out whole.
    if (sniff.encoding == TextEncoding::Utf8)
        source.text.resize(validUtf8Length(source.text, source.textCut));
    return source;
}

}  // namespace varnel
