#pragma once
// The terminal's side of the prompt seam: messages go to stderr, questions are answered by
// --yes or --no, and refused (Cancel) when neither was given, since nobody may be there to ask.
#include <cstdio>
#include <string>

#include "platform/prompt.h"

namespace varnel {

class CliPrompt : public Prompt {
  public:
    enum class Policy { Refuse, Yes, No };
    explicit CliPrompt(Policy policy = Policy::Refuse) : policy_(policy) {}

    void tell(std::string_view text) override {
        std::fprintf(stderr, "varnel-cli: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    Answer ask(std::string_view text, Buttons buttons) override {
        std::fprintf(stderr, "varnel-cli: %.*s ", static_cast<int>(text.size()), text.data());
        if (policy_ == Policy::Refuse) {
            std::fprintf(stderr, "(not answered: pass --yes or --no)\n");
            return Answer::Cancel;
        }
        bool yes = policy_ == Policy::Yes;
        std::fprintf(stderr, "(%s)\n", yes ? "yes" : "no");
        if (buttons == Buttons::Ok || buttons == Buttons::OkCancel)
            return yes ? Answer::Ok : Answer::Cancel;
        return yes ? Answer::Yes : Answer::No;
    }
    void status(std::string_view) override {}

  private:
    Policy policy_;
};

}  // namespace varnel
