// Splitting and cleaning the texts that go into the message log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/message_log.h"

namespace {

using L = std::vector<std::string>;

TEST(MessageLog, LinesDropNewlinesAndAreCutAt255) {
    // clang-format off
    const struct { const char* name; std::string text, line; } rows[] = {
        {"parts joined", "\none\ntwo\nthree", "onetwothree"}, {"carriage return stays", "a\r\nb", "a\rb"},
        {"exactly 255", std::string(255, 'x'), std::string(255, 'x')},
        {"longer is cut", std::string(300, 'y'), std::string(255, 'y')},
        {"newlines do not count", std::string(10, '\n') + std::string(260, 'z'), std::string(255, 'z')},
    };
    // clang-format on
    for (const auto& row : rows) {
        char line[kLogLineSize];
        size_t length = PrepareLogLine(row.text.c_str(), line);
        EXPECT_EQ(std::string(line), row.line) << row.name;
        EXPECT_EQ(length, row.line.size()) << row.name;
    }
}

TEST(MessageLog, TextsSplitAtNewlines) {
    // clang-format off
    const struct { const char* name; std::string text; L lines; } rows[] = {
        {"empty text adds nothing", "", L{}}, {"full stop before a newline is dropped", "word.\n", L{"word"}},
        {"full stop at the very end stays", "word.", L{"word."}}, {"digit before a newline stays", "ok 42\n", L{"ok 42"}},
        {"empty lines, none at the end", "\na\n\nb\n", L{"", "a", "", "b"}},
        {"carriage returns dropped, only one character", "one\r\nend.\r\n", L{"one", "end."}},
        {"high characters are no letters", "caf\xe9\n", L{"caf"}},
    };
    // clang-format on
    for (const auto& row : rows) {
        L lines;
        std::vector<char> line(row.text.size() + 1);
        for (const char* rest = row.text.c_str(); (rest = TakeLogTextLine(rest, line.data())) != nullptr;) {
            lines.push_back(line.data());
        }
        EXPECT_EQ(lines, row.lines) << row.name;
    }
}

} // namespace
