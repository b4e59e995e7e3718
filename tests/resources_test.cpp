// The resources compiled into Tessarine.exe, read back and compared with
// what the dialogs, icons and strings must be.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "dialog_helpers.h"
#include "ui/control_ids.h"

namespace {

const WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

class ResourcesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string exe(path);
        exe = exe.substr(0, exe.find_last_of('\\')); // tests folder
        exe = exe.substr(0, exe.find_last_of('\\')) + "\\Tessarine.exe";
        module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module); }
    void SetUp() override { ASSERT_NE(module, nullptr) << "Tessarine.exe beside the tests folder"; }

    static const void* Resource(LPCSTR type, WORD id, DWORD* size) {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kNeutral);
        if (found == nullptr) {
            return nullptr;
        }
        *size = SizeofResource(module, found);
        return LockResource(LoadResource(module, found));
    }
    static DialogTemplateInfo Dialog(WORD id) {
        DWORD size = 0;
        const void* data = Resource(RT_DIALOG, id, &size);
        DialogTemplateInfo info{};
        EXPECT_NE(data, nullptr) << "dialog " << id;
        if (data != nullptr) {
            EXPECT_TRUE(ParseDialogTemplate(data, size, &info));
        }
        return info;
    }
    static HMODULE module;
};
HMODULE ResourcesTest::module;

struct ExpectedItem {
    long id;
    const char* className;
    const char* text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

void ExpectItems(const DialogTemplateInfo& dialog, const std::vector<ExpectedItem>& expected) {
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const TemplateItem& got = dialog.items[i];
        const ExpectedItem& want = expected[i];
        SCOPED_TRACE("item " + std::to_string(i) + " id " + std::to_string(want.id));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.className, want.className);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style) << std::hex << got.style << " != " << want.style;
        EXPECT_EQ(got.exStyle, want.exStyle);
        EXPECT_EQ(got.helpId, 0u);
    }
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST_F(ResourcesTest, MainDialogTemplate) {
    DialogTemplateInfo d = Dialog(IDD_MAIN_DIALOG);
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.version, 1);
    EXPECT_EQ(d.helpId, 0u);
    EXPECT_EQ(d.style, 0x90C80844u);
    EXPECT_EQ(d.exStyle, 0u);
    EXPECT_EQ(d.x, 12);
    EXPECT_EQ(d.y, 20);
    EXPECT_EQ(d.cx, 319);
    EXPECT_EQ(d.cy, 204);
    EXPECT_EQ(d.menu, "");
    EXPECT_EQ(d.windowClass, "");
    EXPECT_EQ(d.caption.rfind("Tessarine Version 0.10", 0), 0u) << d.caption;
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.weight, 0);
    EXPECT_EQ(d.italic, 0);
    EXPECT_EQ(d.charset, 1);
    EXPECT_EQ(d.face, "Helv");
    ExpectItems(d, {
                       {102, "Static", "", 1, 4, 230, 8, kChild | SS_LEFT, 0},
                       {117, "Static", "", 230, 4, 35, 8, kChild | SS_LEFT, 0},
                       {113, "ComboBox", "", 269, 1, 48, 100,
                        kChild | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT,
                        WS_EX_STATICEDGE | WS_EX_CLIENTEDGE},
                       {101, "ListBox", "", 2, 18, 315, 110, kChild | WS_BORDER | WS_VSCROLL | WS_HSCROLL, 0},
                       {-1, "Static", "#100", 289, 136, 20, 18, kChild | SS_ICON, 0},
                       {-1, "Static", "#116", 258, 136, 20, 18, kChild | SS_ICON, 0},
                       {1, "Button", "", 20, 188, 40, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
                       {217, "Button", "", 100, 188, 40, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0},
                       {105, "Button", "", 180, 188, 40, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0},
                       {106, "Button", "", 260, 188, 40, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0},
                   });
}

TEST_F(ResourcesTest, ConfirmBoxTemplate) {
    DialogTemplateInfo d = Dialog(IDD_CONFIRM_BOX);
    EXPECT_FALSE(d.extended);
    EXPECT_EQ(d.style, 0x80C000C0u);
    EXPECT_EQ(d.exStyle, 0u);
    EXPECT_EQ(d.x, 20);
    EXPECT_EQ(d.y, 40);
    EXPECT_EQ(d.cx, 213);
    EXPECT_EQ(d.cy, 141);
    EXPECT_EQ(d.caption, "");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.face, "Helv");
    ExpectItems(d, {
                       {1, "Button", "", 26, 113, 79, 25, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0},
                       {101, "Button", "", 107, 113, 76, 25, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
                       {218, "Static", "", 4, 4, 207, 52, kChild | SS_LEFT, 0},
                       {219, "Static", "", 3, 60, 205, 48, kChild | SS_LEFT, 0},
                       {-1, "Static", "#100", 4, 117, 20, 18, kChild | SS_ICON, 0},
                       {-1, "Static", "#116", 187, 118, 20, 18, kChild | SS_ICON, 0},
                   });
}

TEST_F(ResourcesTest, Icons) {
    struct Row {
        WORD group;
        WORD bits;
        BYTE colours;
        DWORD bytes;
    } rows[] = {{IDI_SMALL_ICON, 4, 16, 744}, {IDI_MAIN_ICON, 8, 0, 2216}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.group);
        DWORD size = 0;
        const BYTE* group = static_cast<const BYTE*>(Resource(RT_GROUP_ICON, row.group, &size));
        ASSERT_NE(group, nullptr);
        ASSERT_EQ(size, 6u + 14u);
        EXPECT_EQ(*reinterpret_cast<const WORD*>(group + 4), 1) << "one image";
        const BYTE* entry = group + 6;
        EXPECT_EQ(entry[0], 32);
        EXPECT_EQ(entry[1], 32);
        EXPECT_EQ(entry[2], row.colours);
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), row.bits);
        EXPECT_EQ(*reinterpret_cast<const DWORD*>(entry + 8), row.bytes);
        WORD imageId = *reinterpret_cast<const WORD*>(entry + 12);
        const BITMAPINFOHEADER* image =
            static_cast<const BITMAPINFOHEADER*>(Resource(RT_ICON, imageId, &size));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(size, row.bytes);
        EXPECT_EQ(image->biSize, 40u);
        EXPECT_EQ(image->biWidth, 32);
        EXPECT_EQ(image->biHeight, 64);
        EXPECT_EQ(image->biBitCount, row.bits);
    }
}

TEST_F(ResourcesTest, StringTable) {
    char text[256];
    EXPECT_GT(LoadStringA(module, IDS_AUTHOR, text, sizeof text), 0);
    EXPECT_STREQ(text, "the Tessarine authors");
    EXPECT_GT(LoadStringA(module, IDS_DATE, text, sizeof text), 0);
    EXPECT_STREQ(text, "2009/01/24");
    for (UINT id = 96; id <= 111; ++id) {
        if (id != IDS_AUTHOR && id != IDS_DATE) {
            EXPECT_EQ(LoadStringA(module, id, text, sizeof text), 0) << "string " << id;
        }
    }
    DWORD size = 0;
    EXPECT_NE(Resource(RT_STRING, 7, &size), nullptr) << "block 7, neutral language";
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR list) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

TEST_F(ResourcesTest, NothingElse) {
    std::vector<ULONG_PTR> types;
    EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&types));
    std::vector<ULONG_PTR> allowed = {
        reinterpret_cast<ULONG_PTR>(RT_ICON), reinterpret_cast<ULONG_PTR>(RT_DIALOG),
        reinterpret_cast<ULONG_PTR>(RT_STRING), reinterpret_cast<ULONG_PTR>(RT_GROUP_ICON)};
    EXPECT_EQ(types.size(), 4u);
    for (ULONG_PTR type : types) {
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), type), allowed.end()) << "resource type " << type;
    }
}

} // namespace
