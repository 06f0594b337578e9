#include "scan/scanoptions.h"

#include "platform/prompt.h"

namespace varnel {

std::string chosenFolderText(std::string_view path) {
    std::string text(path);
    const size_t separator = text.find('/');
    if (separator != std::string::npos && separator + 1 < text.size() && text.back() != '/')
        text.push_back('/');
    return text;
}

void applyFolderChoice(const FolderChoice& choice, std::string& field, Prompt& prompt) {
    if (!choice.chosen) return;
    if (!choice.hasPath || choice.path.empty()) {
        prompt.tell(kNotAFolderText);
        return;
    }
    field = chosenFolderText(choice.path);
}

}  // namespace varnel
