// Fill-file names: the process id in base 32, the odometer of the counter,
// names taken in the target folder, and giving up.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "engine/fill_files.h"
#include "test_support.h"

namespace {

std::string Prefix() {
    char digits[16];
    FormatProcessIdBase32(GetCurrentProcessId(), digits);
    return std::string("_") + digits + ".";
}

TEST(FillNames, ProcessIdInBase32) {
    struct Row {
        unsigned long id;
        const char* digits;
    } rows[] = {
        {0, "0"}, {9, "9"}, {10, "A"}, {31, "V"}, {32, "10"}, {1234, "16I"}, {4294967295ul, "3VVVVVV"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        char out[16];
        FormatProcessIdBase32(row.id, out);
        EXPECT_STREQ(out, row.digits);
    }
    char longest[16];
    FormatProcessIdBase32(4294967295ul, longest);
    EXPECT_EQ(1 + strlen(longest) + 4, static_cast<size_t>(kMaxTempNameLength));
}

class FillNamesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetTempNames();
        folder = MakeScratchFolder("names");
    }
    void TearDown() override {
        for (const std::string& name : made) {
            DeleteFileA((folder + name).c_str());
        }
        RemoveDirectoryA(folder.c_str());
        ResetTempNames();
    }
    void Make(const std::string& name) {
        WriteWholeFile(folder + name, "keep me");
        made.push_back(name);
    }
    std::string Next() {
        const char* name = NextTempName(folder.c_str());
        return name == nullptr ? "<null>" : name;
    }
    std::string folder;
    std::vector<std::string> made;
};

TEST_F(FillNamesTest, CounterRunsLikeAnOdometer) {
    std::string p = Prefix();
    struct Row {
        int call;
        const char* counter;
    } expected[] = {{1, "AAA"},   {2, "AAB"},     {26, "AAZ"},    {27, "ABA"},   {676, "AZZ"},
                    {677, "BAA"}, {17576, "ZZZ"}, {17577, "AAA"}, {17578, "AAB"}};
    int call = 0;
    for (const Row& row : expected) {
        std::string name;
        while (call < row.call) {
            name = Next();
            ++call;
        }
        SCOPED_TRACE(row.call);
        EXPECT_EQ(name, p + row.counter);
    }
}

TEST_F(FillNamesTest, TakenNamesAreSkipped) {
    std::string p = Prefix();
    Make(p + "AAA");
    // A taken name advances the letter left of the one just changed.
    EXPECT_EQ(Next(), p + "ABA");
    EXPECT_EQ(Next(), p + "ABB");
    CreateDirectoryA((folder + p + "ABC").c_str(), nullptr); // a folder counts too
    EXPECT_EQ(Next(), p + "ACC");
    RemoveDirectoryA((folder + p + "ABC").c_str());
}

TEST_F(FillNamesTest, GivesUpWhenTheCounterRunsOutTwice) {
    std::string p = Prefix();
    Make(p + "AAA");
    Make(p + "ABA");
    Make(p + "BBA");
    EXPECT_EQ(Next(), "<null>");
    EXPECT_EQ(Next(), "<null>");
}

TEST_F(FillNamesTest, NamesInOtherFoldersDoNotCount) {
    std::string p = Prefix();
    std::string other = MakeScratchFolder("other");
    WriteWholeFile(other + p + "AAA", "x");
    EXPECT_EQ(Next(), p + "AAA");
    DeleteFileA((other + p + "AAA").c_str());
    RemoveDirectoryA(other.c_str());
}

TEST(FillFileNodes, OwnTheirCopyOfThePath) {
    char path[] = "E:\\_16I.AAA";
    FillFileNode* node = NewFillFileNode(path);
    ASSERT_NE(node, nullptr);
    path[0] = 'X';
    EXPECT_STREQ(node->Name, "E:\\_16I.AAA");
    EXPECT_EQ(node->Next, nullptr);
    DeleteFillFiles(node);
}

TEST(FillFileNodes, DeleteEveryFileEvenWhenOneIsMissing) {
    std::string folder = MakeScratchFolder("delete");
    std::string names[] = {folder + "one", folder + "two", folder + "three"};
    WriteWholeFile(names[0], "1");
    WriteWholeFile(names[2], "3"); // "two" was never created
    FillFileNode* head = NewFillFileNode(names[0].c_str());
    head->Next = NewFillFileNode(names[1].c_str());
    head->Next->Next = NewFillFileNode(names[2].c_str());
    EXPECT_EQ(DeleteFillFiles(head), 0u) << "a file never created is no file left";
    for (const std::string& name : names) {
        EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES) << name;
    }
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << "the folder should be empty";
}

} // namespace
