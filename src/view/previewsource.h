#pragma once
// What the preview pane makes of a file: how to show it (page, PDF, picture, text, or only
// its name), and for text the bytes to show, read up to a cap. Decided from the file's first
// bytes and, where they say nothing, from its name; run on a worker, never the window's
// thread, since a file may sit on a slow disk.
#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

enum class PreviewKind { Html, Pdf, Image, Text, Other };
enum class TextEncoding { Utf8, Latin1 };

// The head of a file that decides its kind.
inline constexpr size_t kPreviewSniffBytes = 4096;
// Text beyond this is not shown.
inline constexpr size_t kPreviewTextLimit = 1 << 20;

struct TextSniff {
    bool isText = false;
    TextEncoding encoding = TextEncoding::Utf8;
};
// Whether `bytes` read as text: no NUL byte and hardly any other control bytes; UTF-8 when
// they are valid UTF-8 (a sequence cut by the end counts as valid when `cut`), else Latin-1.
TextSniff sniffText(std::string_view bytes, bool cut);

// The kind of a file named `name` whose first bytes are `head` (`cut` when the file goes on).
PreviewKind previewKindOf(std::string_view name, std::string_view head, bool cut);

struct PreviewSource {
    PreviewKind kind = PreviewKind::Other;
    // Text only: at most the cap, ending on a whole character.
    std::string text;
    TextEncoding encoding = TextEncoding::Utf8;
    bool textCut = false;  // the file holds more than `text`
    // Why the file could not be read; the kind is then Other.
    std::string error;
};

// Reads the file at `path` (regular files only: a pipe or a device is never read) and
// decides how to show it; text is read up to `textLimit` bytes.
PreviewSource ReadPreviewSource(const std::string& path, size_t textLimit = kPreviewTextLimit);

}  // namespace varnel
