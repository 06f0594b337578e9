#pragma once
// Whole-text matching of names against patterns with `*` (any run) and `?` (one byte).
// Case-sensitive: callers lowercase both sides first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// A pattern split once into literal segments and the wildcard runs around them, so the
// same pattern can be tried against a million names without being parsed again.
class WildcardPattern {
  public:
    explicit WildcardPattern(std::string_view pattern);

    bool matches(std::string_view text) const;
    // The pattern is "*word*" with no other wildcard: a plain substring test.
    bool isSubstring() const { return substring_; }
    // The longest literal every matching text must contain ("" when there is none).
    std::string_view longestLiteral() const;
    // The literals the pattern holds at a fixed distance from its longest one (only `?`
    // between them): `offset` bytes from where the longest starts, negative before it.
    struct FixedText {
        ptrdiff_t offset;
        std::string text;
    };
    std::vector<FixedText> fixedAroundLongestLiteral() const;
    std::string_view substringWord() const {
        return segments_.empty() ? std::string_view() : segments_[0].text;
    }

  private:
    struct Segment {
        std::string text;
        int questionsBefore = 0;  // `?` in the run before this segment
        bool starBefore = false;  // a `*` in that run
    };
    bool withinOccurrenceLimit(std::string_view text) const;

    std::vector<Segment> segments_;
    int trailingQuestions_ = 0;
    bool trailingStar_ = false;
    bool tooManySegments_ = false;
    bool substring_ = false;
    size_t minimumLength_ = 0;
};

// 1 when the whole text matches the whole pattern, else 0. A pattern with 16 or more
// literal segments, or a text in which its segments occur more than the occurrence table
// of 512 entries can hold, never matches.
int wildcardMatch(const char* text, const char* pattern);

}  // namespace varnel
