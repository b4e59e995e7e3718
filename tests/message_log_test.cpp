// Splitting and cleaning the texts that go into the message log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/message_log.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::vector<char> line(text.size() + 1);
    for (const char* rest = TakeLogTextLine(text.c_str(), line.data()); rest != nullptr;
         rest = TakeLogTextLine(rest, line.data())) {
        lines.push_back(line.data());
    }
    return lines;
}

TEST(LogLine, DropsNewlinesAndCutsAt255) {
    struct Row {
        const char* name;
        std::string text;
        std::string line;
    } rows[] = {
        {"leading newline", "\nWorking... This may take some time", "Working... This may take some time"},
        {"parts joined", "one\ntwo\nthree", "onetwothree"},
        {"carriage return stays", "a\r\nb", "a\rb"},
        {"empty", "", ""},
        {"only newlines", "\n\n", ""},
        {"exactly 255", std::string(255, 'x'), std::string(255, 'x')},
        {"longer is cut", std::string(300, 'y'), std::string(255, 'y')},
        {"newlines do not count", std::string(10, '\n') + std::string(260, 'z'), std::string(255, 'z')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char line[kLogLineSize];
        size_t length = PrepareLogLine(row.text.c_str(), line);
        EXPECT_EQ(std::string(line), row.line);
        EXPECT_EQ(length, row.line.size());
    }
}

TEST(LogText, SplitsAtNewlines) {
    using L = std::vector<std::string>;
    struct Row {
        const char* name;
        std::string text;
        L lines;
    } rows[] = {
        {"empty text adds nothing", "", L{}},
        {"one line unchanged", "Either select the diskette drive", L{"Either select the diskette drive"}},
        {"full stop before a newline is dropped", "word.\n", L{"word"}},
        {"full stop at the very end stays", "word.", L{"word."}},
        {"letter before a newline stays", "word\n", L{"word"}},
        {"digit before a newline stays", "ok 42\n", L{"ok 42"}},
        {"two newlines give an empty line", "a\n\nb", L{"a", "", "b"}},
        {"leading newline gives an empty line", "\nb", L{"", "b"}},
        {"no empty line at the end", "a\nb\n", L{"a", "b"}},
        {"carriage returns dropped", "one\r\ntwo\r\n", L{"one", "two"}},
        {"only one character dropped", "end.\r\n", L{"end."}},
        {"high characters are no letters", "caf\xe9\n", L{"caf"}},
        {"lone newline", "\n", L{""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Lines(row.text), row.lines);
    }
}

} // namespace
