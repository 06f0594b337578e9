#include "query/wildcard.h"

#include <cstring>

namespace varnel {

namespace {
constexpr size_t kMaxSegments = 16;
constexpr size_t kOccurrenceTable = 512;

// Overlapping occurrences of `word` in `text`.
size_t countOccurrences(std::string_view text, std::string_view word) {
    size_t count = 0;
    for (size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1))
        ++count;
    return count;
}
}  // namespace

WildcardPattern::WildcardPattern(std::string_view pattern) {
    Segment pending;
    for (size_t i = 0; i < pattern.size();) {
        if (pattern[i] == '*' || pattern[i] == '?') {
            if (pattern[i] == '*')
                pending.starBefore = true;
            else
                ++pending.questionsBefore;
            ++i;
            continue;
        }
        size_t end = pattern.find_first_of("*?", i);
        if (end == std::string_view::npos) end = pattern.size();
        pending.text.assign(pattern.substr(i, end - i));
        segments_.push_back(std::move(pending));
        pending = Segment{};
        i = end;
    }
    trailingQuestions_ = pending.questionsBefore;
    trailingStar_ = pending.starBefore;
    tooManySegments_ = segments_.size() >= kMaxSegments;
    substring_ = segments_.size() == 1 && segments_[0].starBefore &&
                 segments_[0].questionsBefore == 0 && trailingStar_ && trailingQuestions_ == 0;
    for (const Segment& s : segments_)
        minimumLength_ += s.text.size() + static_cast<size_t>(s.questionsBefore);
    minimumLength_ += static_cast<size_t>(trailingQuestions_);
}

namespace {
template <typename Segments>
size_t longestSegment(const Segments& segments) {
    size_t longest = 0;
    for (size_t i = 1; i < segments.size(); ++i)
        if (segments[i].text.size() > segments[longest].text.size()) longest = i;
    return longest;
}
}  // namespace

std::string_view WildcardPattern::longestLiteral() const {
    return segments_.empty() ? std::string_view() : segments_[longestSegment(segments_)].text;
}

std::vector<WildcardPattern::FixedText> WildcardPattern::fixedAroundLongestLiteral() const {
    std::vector<FixedText> fixed;
    if (segments_.empty()) return fixed;
    const size_t longest = longestSegment(segments_);
    ptrdiff_t offset = 0;
    for (size_t j = longest; j > 0 && !segments_[j].starBefore; --j) {
        offset -= segments_[j].questionsBefore + static_cast<ptrdiff_t>(segments_[j - 1].text.size());
        fixed.push_back({offset, segments_[j - 1].text});
    }
    offset = static_cast<ptrdiff_t>(segments_[longest].text.size());
    for (size_t j = longest + 1; j < segments_.size() && !segments_[j].starBefore; ++j) {
        offset += segments_[j].questionsBefore;
        fixed.push_back({offset, segments_[j].text});
        offset += static_cast<ptrdiff_t>(segments_[j].text.size());
    }
    return fixed;
}

// Every literal segment's occurrences plus one end mark per segment must fit the table.
bool WildcardPattern::withinOccurrenceLimit(std::string_view text) const {
    size_t bound = 0;  // what the occurrences could number at most
    for (const Segment& s : segments_)
        bound += text.size() - std::min(text.size(), s.text.size() - 1) + 1;
    if (bound < kOccurrenceTable) return true;
    size_t entries = 0;
    for (const Segment& s : segments_) {
        entries += countOccurrences(text, s.text) + 1;
        if (entries >= kOccurrenceTable) return false;
    }
    return true;
}

// An ordinary glob match: each `*` remembers where it may resume, so the work is at most
// the product of the text and pattern lengths, never a search over combinations.
bool WildcardPattern::matches(std::string_view text) const {
    if (tooManySegments_ || text.size() < minimumLength_) return false;
    if (substring_) {
        if (text.find(segments_[0].text) == std::string_view::npos) return false;
        return withinOccurrenceLimit(text);
    }
    // The last literal, when nothing follows it, must end the text: the cheapest rejection.
    if (!segments_.empty() && !trailingStar_ && trailingQuestions_ == 0) {
        const std::string& last = segments_.back().text;
        if (text.size() < last.size() ||
            text.compare(text.size() - last.size(), last.size(), last) != 0)
            return false;
    }
    size_t pos = 0;
    size_t resumeSegment = SIZE_MAX,
           resumePos = 0;  // the last starred segment and where to retry it
    size_t seg = 0;
    for (;;) {
        if (seg == segments_.size()) {
            size_t rest = text.size() - pos;
            bool tailFits = trailingStar_ ? rest >= static_cast<size_t>(trailingQuestions_)
                                          : rest == static_cast<size_t>(trailingQuestions_);
            if (tailFits) return withinOccurrenceLimit(text);
            if (resumeSegment == SIZE_MAX || trailingStar_) return false;
        } else {
            const Segment& s = segments_[seg];
            size_t start = pos + static_cast<size_t>(s.questionsBefore);
            if (start <= text.size()) {
                if (s.starBefore) {
                    size_t at = text.find(s.text, start);
                    if (at != std::string_view::npos) {
                        resumeSegment = seg;
                        resumePos = at + 1;
                        pos = at + s.text.size();
                        ++seg;
                        continue;
                    }
                    return false;  // no later place can hold it either
                }
                if (start + s.text.size() <= text.size() &&
                    text.compare(start, s.text.size(), s.text) == 0) {
                    pos = start + s.text.size();
                    ++seg;
                    continue;
                }
            }
            if (resumeSegment == SIZE_MAX) return false;
        }
        // Let the last star swallow one more byte and retry from its segment.
        seg = resumeSegment;
        const Segment& s = segments_[seg];
        size_t at = text.find(s.text, resumePos);
        if (at == std::string_view::npos) return false;
        resumePos = at + 1;
        pos = at + s.text.size();
        ++seg;
    }
}

int wildcardMatch(const char* text, const char* pattern) {
    return WildcardPattern(pattern).matches(text) ? 1 : 0;
}

}  // namespace varnel
