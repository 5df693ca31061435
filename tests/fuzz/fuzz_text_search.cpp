// findText, field and compareText on arbitrary texts, checked against the standard library's own
// search and comparison and against a plain left-to-right split.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "text/strings.h"

namespace {

std::vector<Text> splitAll(const Text& text, const Text& delimiter) {
    std::vector<Text> fields;
    std::size_t begin = 0;
    for (std::size_t at = text.find(delimiter); at != Text::npos; at = text.find(delimiter, begin)) {
        fields.push_back(text.substr(begin, at - begin));
        begin = at + delimiter.size();
    }
    fields.push_back(text.substr(begin));
    return fields;
}

std::int32_t expectedFind(std::int32_t start, const Text& text, const Text& pattern) {
    const std::size_t from = static_cast<std::size_t>(start) - 1;
    if (text.empty() || from >= text.size()) return 0;
    if (pattern.empty()) return start;
    const std::size_t at = text.find(pattern, from);
    return at == Text::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

void checkFind(const Text& text, const Text& pattern) {
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t start = 1; start <= length + 1; ++start)
        require(findText(start, text, pattern) == expectedFind(start, text, pattern), "findText position");
}

// Field n for every n from beyond the end backwards to beyond the start, and the fields joined
// again give the text back.
void checkFields(const Text& text, const Text& delimiter) {
    const std::vector<Text> fields = splitAll(text, delimiter);
    const auto count = static_cast<std::int32_t>(fields.size());
    Text joined;
    for (std::int32_t n = -count - 2; n <= count + 2; ++n) {
        const std::int32_t position = n >= 0 ? n : count + n + 1;
        const Text expected = position >= 1 && position <= count ? fields[position - 1] : Text();
        const Text got = field(text, delimiter, n);
        require(got == expected, "field n");
        if (n >= 1 && n <= count) joined += (n > 1 ? delimiter : Text()) + got;
    }
    require(joined == text, "fields joined give the text back");
}

int sign(int value) { return (value > 0) - (value < 0); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const Text pattern = input.ConsumeRandomLengthString(8);
    const Text text = input.ConsumeRemainingBytesAsString();

    checkFind(text, pattern);
    if (!pattern.empty()) checkFields(text, pattern);
    checkFields(text, "/");
    require(sign(compareText(text, pattern)) == sign(text.compare(pattern)), "compareText order");
    require(compareText(text, text) == 0, "a text equals itself");
    return 0;
}
