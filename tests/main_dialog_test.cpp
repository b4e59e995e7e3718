// The real main dialog from its template, created modeless and sent what a
// user's actions send; the worker is a stand-in that only waits, so no run
// touches a drive here. The test prefix maps a: and e: as removable drives
// and f: as a fixed one.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>

#include "frame/run_signals.h"
#include "frame/run_state.h"
#include "scripts/driver/window_reader.h"
#include "test_support.h"
#include "ui/confirm_box.h"
#include "ui/control_ids.h"
#include "ui/dpi.h"
#include "ui/gauge.h"
#include "ui/main_dialog.h"
#include "ui/message_log.h"

namespace {

using Lines = std::vector<std::string>;
const char kConfirmCaption[] = "Tessarine by the Tessarine authors";
const Lines kHelp = {"Either select the diskette drive", "Put a diskette in the drive and press OK",
                     "Or select a removable USB flash drive", "and press OK",
                     "(C) 2009-2026 the Tessarine authors - tessarine@example.org"};
const Lines kWorking = {"Working... This may take some time"};

void PumpMessages(DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(5)) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

Lines Texts(HWND window, std::vector<int> ids) {
    Lines texts;
    for (int id : ids) {
        char text[512] = {};
        GetDlgItemTextA(window, id, text, sizeof text);
        texts.push_back(text);
    }
    return texts;
}

std::vector<COLORREF> Pixels(HWND window, int y, int from, int to) {
    std::vector<COLORREF> row;
    HDC dc = GetDC(window);
    for (int x = from; x < to; ++x) {
        row.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(window, dc);
    return row;
}

// Answers the confirmation box from within its own message loop: reads it,
// and presses a button.
struct BoxAnswer {
    int answer = 0;
    Lines texts; // question, by-line, Yes, No
    LRESULT defaultId = 0;
} gBox;

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowA(nullptr, kConfirmCaption);
    if (box != nullptr) {
        KillTimer(nullptr, timer);
        gBox.texts = Texts(box, {IDC_QUESTION, IDC_BYLINE, IDC_YES_BUTTON, IDC_NO_BUTTON});
        gBox.defaultId = LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0));
        PostMessageA(box, WM_COMMAND, gBox.answer, reinterpret_cast<LPARAM>(GetDlgItem(box, gBox.answer)));
    }
}

// The stand-in ends when told, never by TerminateThread: a thread killed while
// it still starts (in Wine's loader or X's locks) left the 32-bit build's
// next window to crash or hang.
HANDLE gStandInEnd;
DWORD WINAPI StandInWorker(void*) {
    WaitForSingleObject(gStandInEnd, INFINITE);
    return 0;
}

class MainDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static char buffer[kMessageBufferSize];
        gRunState.instance = GetModuleHandleA(nullptr);
        gRunState.messageBuffer = buffer;
        lstrcpyA(gRunState.selectedDrive, "a:");
        gRunState.stopRequest = gRunState.runStarted = 0;
        gRunState.gaugePercent = 0;
        gRunState.gaugeLetter = 'W';
        gRunState.logFont =
            CreateFontA(14, 9, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH, "Fixedsys");
        gRunState.threadSemaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
        gRunState.dialogInitSemaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
        gStandInEnd = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        gRunState.workerThread = CreateThread(nullptr, 0, StandInWorker, nullptr, 0, nullptr);
    }
    void TearDown() override {
        if (window != nullptr) {
            DestroyWindow(window);
        }
        gRunState.dialogWindow = nullptr;
        SetEvent(gStandInEnd);
        EXPECT_EQ(WaitForSingleObject(gRunState.workerThread, 10000), WAIT_OBJECT_0);
        CloseHandle(gRunState.workerThread);
        CloseHandle(gStandInEnd);
        CloseHandle(gRunState.threadSemaphore.load());
        CloseHandle(gRunState.dialogInitSemaphore.load());
        DeleteObject(gRunState.logFont);
        gRunState.commandLineDrive = gRunState.helpSwitch = 0;
    }
    void Open() {
        window = CreateDialogParamA(gRunState.instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr,
                                    MainDialogProc, 0);
        ASSERT_NE(window, nullptr);
        PumpMessages(100);
    }
    void Command(int id) {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    }
    bool Started() { return WaitForSingleObject(gRunState.threadSemaphore.load(), 0) == WAIT_OBJECT_0; }
    void Select(const char* entry) {
        TESS_REQUIRE(GetDriveTypeA(entry) == DRIVE_REMOVABLE, "the test prefix maps a: and e: as removable");
        SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(entry));
    }
    // Ok on a drive that asks.
    BoxAnswer OkAnswering(int button) {
        gBox = BoxAnswer();
        gBox.answer = button;
        UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerBox);
        Command(IDOK);
        KillTimer(nullptr, timer);
        return gBox;
    }
    HWND window = nullptr;
};

TEST_F(MainDialogTest, StartsReady) {
    Open();
    EXPECT_EQ(ButtonState(window), "10111");
    EXPECT_TRUE(LogLines(window).empty());
    EXPECT_EQ(WaitForSingleObject(gRunState.dialogInitSemaphore.load(), 0), WAIT_OBJECT_0) << "DialogInit";
    EXPECT_FALSE(Started());
    // Centred; the template centres it already, so the right edge before the move is the one now.
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2);
    // The removable drives only (the prefix's A: and E:, not the fixed F:), A: first and selected.
    TESS_REQUIRE(GetDriveTypeA("F:") == DRIVE_FIXED,
                 "the test prefix maps a: and e: as removable and f: as fixed");
    EXPECT_EQ(DriveEntries(window), (Lines{"A:", "E:"}));
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(gRunState.selectedDrive[0], 'A');
}

// What the user does without a question box, and what follows.
TEST_F(MainDialogTest, UserActions) {
    const Lines noWorker = {"Cannot start the cleaning thread", "Cannot start the cleaning thread"};
    struct Row {
        const char* name;
        void (*before)();          // the run state before the window opens
        const char* select;        // the drive list entry, "" to empty the list, null to leave it
        std::vector<int> commands; // -button: Ok, and that button pressed in the question box
        Lines log;
        int starts, stopRequest;
        const char* buttons; // Ok, Stop, Quit, Help enabled, list shown
        const char* drive;
    } rows[] = {
        // clang-format off
        {"Ok on A: starts at once; a second Ok starts nothing more", nullptr, "A:", {IDOK, IDOK},
         kWorking, 1, 0, "01011", "A:"},
        {"E: asks first: No, Escape in the box, then Yes", nullptr, "E:",
         {-IDC_NO_BUTTON, -IDCANCEL, -IDC_YES_BUTTON}, kWorking, 1, 0, "01011", "E:"},
        {"Escape before Ok: Ok stays", nullptr, "A:", {IDCANCEL}, {}, 0, 1, "10111", "A:"},
        {"Escape, then Ok: the request is cleared before the start order", nullptr, "A:", {IDCANCEL, IDOK},
         kWorking, 1, 0, "01011", "A:"},
        {"Stop during a run", nullptr, "A:", {IDOK, IDC_STOP_BUTTON}, kWorking, 1, 1, "00111", "A:"},
        {"a drive from the command line: no list, no question",
         [] { gRunState.commandLineDrive = 1, gRunState.selectedDrive[0] = 'e'; }, nullptr, {IDOK},
         kWorking, 1, 0, "01010", "e:"},
        {"no removable drive: Ok starts nothing", nullptr, "", {IDOK}, {"No removable drive found"},
         0, 0, "10111", "A:"},
        {"no worker: reported, and Ok starts nothing", [] { gRunState.workerThread = nullptr; }, "A:", {IDOK},
         noWorker, 0, 0, "10111", "A:"},
        {"Help writes the instructions at each press", nullptr, nullptr, {IDC_HELP_BUTTON, IDC_HELP_BUTTON},
         {}, 0, 0, "10111", "A:"},
        {"a help switch writes them at start", [] { gRunState.helpSwitch = 1; }, nullptr, {},
         kHelp, 0, 0, "10111", "A:"},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        HANDLE worker = gRunState.workerThread;
        if (row.before != nullptr) {
            row.before();
        }
        Open();
        if (row.select != nullptr && row.select[0] == '\0') {
            SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_RESETCONTENT, 0, 0);
        } else if (row.select != nullptr) {
            Select(row.select);
        }
        int starts = 0;
        Lines log = row.log;
        for (int command : row.commands) {
            if (command < 0) {
                BoxAnswer box = OkAnswering(-command);
                EXPECT_EQ(box.texts, (Lines{"Are you sure you want to clean sectors on [E] ?",
                                            "Tessarine Version 0.10 by the Tessarine authors", "Yes", "No"}));
                EXPECT_EQ(box.defaultId, IDC_NO_BUTTON) << "No is the default button";
            } else {
                Command(command);
            }
            starts += Started() ? 1 : 0;
            if (command == IDC_HELP_BUTTON) {
                log.insert(log.end(), kHelp.begin(), kHelp.end());
            }
        }
        EXPECT_EQ(FindWindowA(nullptr, kConfirmCaption), nullptr) << "no question left open";
        EXPECT_EQ(LogLines(window), log);
        EXPECT_EQ(starts, row.starts);
        EXPECT_EQ(gRunState.stopRequest.load(), row.stopRequest);
        EXPECT_EQ(ButtonState(window), row.buttons);
        EXPECT_STREQ(gRunState.selectedDrive, row.drive);
        gRunState.workerThread = worker;
    }
}

// Help during a run: its five lines go between the worker's lines, each whole.
DWORD WINAPI WorkerLines(void*) {
    for (int i = 0; i < 200; ++i) {
        AddLogLine(("worker line " + std::to_string(i)).c_str());
    }
    return 0;
}

TEST_F(MainDialogTest, HelpDuringARunKeepsEveryLineWhole) {
    Open();
    HANDLE worker = CreateThread(nullptr, 0, WorkerLines, nullptr, 0, nullptr);
    while (WaitForSingleObject(worker, 0) == WAIT_TIMEOUT) {
        Command(IDC_HELP_BUTTON);
        PumpMessages(5);
    }
    CloseHandle(worker);
    Lines lines = LogLines(window);
    int next = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("worker line ", 0) == 0) {
            EXPECT_EQ(lines[i], "worker line " + std::to_string(next++));
        } else {
            ASSERT_LE(i + 5, lines.size());
            EXPECT_EQ(Lines(lines.begin() + i, lines.begin() + i + 5), kHelp) << "at line " << i;
            i += 4;
        }
    }
    EXPECT_EQ(next, 200);
    // The newest line is in view.
    RECT box;
    GetClientRect(GetDlgItem(window, IDC_LOG), &box);
    LRESULT top = SendDlgItemMessageA(window, IDC_LOG, LB_GETTOPINDEX, 0, 0);
    EXPECT_GE(top + box.bottom / SendDlgItemMessageA(window, IDC_LOG, LB_GETITEMHEIGHT, 0, 0),
              static_cast<LRESULT>(lines.size()));
}

std::wstring Clipboard() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const wchar_t* locked = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        text = locked != nullptr ? locked : L"";
        if (locked != nullptr) {
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

void EmptyTheClipboard() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// The log's menu, read while it is open, and closed with the chosen item:
// its items' texts, and "-" after one that cannot be chosen.
Lines gMenuItems;
UINT gMenuChoice;
void CALLBACK ReadMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = FindWindowA("#32768", nullptr);
    HMENU menu = popup != nullptr ? reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)) : nullptr;
    if (menu == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        gMenuItems.push_back(std::string(text) +
                             ((GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) ? "-" : ""));
    }
    // The chosen item by the keyboard, as a user goes down the menu.
    for (UINT down = 0; down <= gMenuChoice; ++down) {
        PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    }
    PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
}

// The log copied with its menu's Select all, then Copy (off until a line is
// picked); the clipboard read back, the log unchanged. Ctrl+A and Ctrl+C
// through the real keyboard: the scenario of the write-protected medium.
TEST_F(MainDialogTest, CopiesTheLogWithItsMenu) {
    const Lines lines = {"Cleaning un-used sectors on drive E:", "Creating file [E:\\_16I.AAA]",
                         "Error opening file [E:\\_16I.AAA]"};
    Open();
    for (const std::string& line : lines) {
        AddLogLine(line.c_str());
    }
    HWND log = GetDlgItem(window, IDC_LOG);
    EmptyTheClipboard();
    for (UINT step = 0; step < 2; ++step) {
        gMenuItems.clear();
        gMenuChoice = 1 - step;
        UINT_PTR timer = SetTimer(nullptr, 0, 20, ReadMenu);
        SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(log), MAKELPARAM(100, 100));
        KillTimer(nullptr, timer);
        EXPECT_EQ(gMenuItems, (Lines{step == 0 ? "Copy-" : "Copy", "Select all"}));
    }
    EXPECT_EQ(Clipboard(), L"Cleaning un-used sectors on drive E:\r\nCreating file [E:\\_16I.AAA]\r\n"
                           L"Error opening file [E:\\_16I.AAA]\r\n");
    EXPECT_EQ(LogLines(window), lines) << "the log as it was";
}

// The screen's scale is read once per process: each scale is tried in a
// process of its own (AtTheScreenScaleEveryTextFits), with
// HKCU\Control Panel\Desktop\LogPixels set as the display settings set it.
TEST(DpiScale, EveryTextFitsAtEachScale) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string report = MakeScratchFolder("dpi") + "chars.txt";
    HKEY desktop;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &desktop, nullptr),
              ERROR_SUCCESS);
    long chars96 = 0;
    double band96 = 0;
    for (DWORD dpi : {96, 144, 192}) {
        SCOPED_TRACE(dpi);
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        SetEnvironmentVariableA("TESSARINE_TEST_DPI", std::to_string(dpi).c_str());
        SetEnvironmentVariableA("TESSARINE_TEST_REPORT", report.c_str());
        std::string command =
            std::string("\"") + self + "\" --gtest_brief=1 --gtest_filter=*AtTheScreenScale*";
        STARTUPINFOA start = {};
        start.cb = sizeof start;
        PROCESS_INFORMATION child;
        ASSERT_TRUE(
            CreateProcessA(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &child));
        WaitForSingleObject(child.hProcess, 120000);
        DWORD code = 1;
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
        EXPECT_EQ(code, 0u) << "the child's failures are above";
        long chars = -1;
        double band = -1;
        sscanf(ReadWholeFile(report).c_str(), "%ld %lf", &chars, &band);
        if (dpi == 96) {
            chars96 = chars, band96 = band;
        }
        EXPECT_EQ(chars, chars96) << "characters of the log visible a line";
        EXPECT_NEAR(band, band96, 0.003) << "the gauge's height, a share of the window's";
    }
    RegDeleteValueA(desktop, "LogPixels");
    RegCloseKey(desktop);
    SetEnvironmentVariableA("TESSARINE_TEST_DPI", nullptr);
}

// The text of a control, without its mnemonic's '&', in the control's font.
SIZE TextExtent(HWND control, std::string text, RECT* room) {
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    HDC dc = GetDC(control);
    HGDIOBJ kept = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT box;
    GetClientRect(control, &box);
    *room = box;
    DrawTextA(dc, text.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, kept);
    ReleaseDC(control, dc);
    return {box.right - box.left, box.bottom - box.top};
}

TEST_F(MainDialogTest, AtTheScreenScaleEveryTextFits) {
    const char* told = getenv("TESSARINE_TEST_DPI");
    if (told == nullptr) {
        GTEST_SKIP() << "run by DpiScale.EveryTextFitsAtEachScale, in a process of its own for each scale";
    }
    const int dpi = atoi(told);
    ASSERT_EQ(ScreenDpi(), dpi) << "the screen's scale as set";
    LOGFONTA described;
    DescribeLogFont(&described, dpi); // the log font as start-up makes it
    DeleteObject(gRunState.logFont);
    gRunState.logFont = CreateFontIndirectA(&described);
    Open();
    HWND box =
        CreateDialogParamA(gRunState.instance, MAKEINTRESOURCEA(IDD_CONFIRM_BOX), window, ConfirmBoxProc,
                           reinterpret_cast<LPARAM>("Are you sure you want to clean sectors on [E] ?"));
    ASSERT_NE(box, nullptr);
    // Each text within its control, the longest status lines too; a button's
    // inside its edges.
    const struct {
        HWND dialog;
        int id;
        const char* text;
        int edge;
    } texts[] = {
        {window, IDC_PROMPT, nullptr, 0},
        {window, IDC_DRIVE_LABEL, nullptr, 0},
        {window, IDOK, nullptr, 3},
        {window, IDC_STOP_BUTTON, nullptr, 3},
        {window, IDC_QUIT_BUTTON, nullptr, 3},
        {window, IDC_HELP_BUTTON, nullptr, 3},
        {window, IDC_PROMPT, "Waiting for another program to let go of 312 files: up to 10 s", 0},
        {window, IDC_PROMPT, "Stopped: 1,023.9 GB written in 23 h 59 min (999.9 MB/s)", 0},
        {box, IDC_QUESTION, nullptr, 0},
        {box, IDC_BYLINE, nullptr, 0},
        {box, IDC_YES_BUTTON, nullptr, 3},
        {box, IDC_NO_BUTTON, nullptr, 3},
    };
    for (const auto& t : texts) {
        HWND control = GetDlgItem(t.dialog, t.id);
        char text[256] = {};
        GetWindowTextA(control, text, sizeof text);
        RECT room;
        SIZE extent = TextExtent(control, t.text != nullptr ? t.text : text, &room);
        int edge = MulDiv(t.edge, dpi, kBaseDpi);
        EXPECT_LE(extent.cx, room.right - 2 * edge) << (t.text != nullptr ? t.text : text);
        EXPECT_LE(extent.cy, room.bottom - 2 * edge) << (t.text != nullptr ? t.text : text);
    }
    DestroyWindow(box);
    // The log's font in proportion: as many characters a line at any scale.
    HWND log = GetDlgItem(window, IDC_LOG);
    HDC dc = GetDC(log);
    HGDIOBJ kept = SelectObject(dc, gRunState.logFont);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, kept);
    ReleaseDC(log, dc);
    RECT client;
    GetClientRect(log, &client);
    long chars = client.right / metrics.tmAveCharWidth;
    // The gauge's band, and its share of the window's height.
    GetClientRect(window, &client);
    GaugeGeometry g = ComputeGauge(client.right, client.bottom, 100, 100, GaugeHeight());
    FILE* report = fopen(getenv("TESSARINE_TEST_REPORT"), "w");
    ASSERT_NE(report, nullptr);
    fprintf(report, "%ld %.4f", chars, static_cast<double>(g.frame.bottom - g.frame.top) / client.bottom);
    fclose(report);
}

// A run repaints the gauge after every write, but draws only when the band
// changes: the band must still be what a repaint from the stored state draws,
// also when another window lay over it meanwhile.
DWORD WINAPI GaugeRun(void*) {
    for (unsigned percent = 0; percent < 40; ++percent) {
        for (int pass = 0; pass < 200; ++pass) {
            SignalFillProgress(percent);
        }
        Sleep(10);
    }
    SignalRunEnds(kRunStopped);
    return 0;
}

TEST_F(MainDialogTest, GaugeIsPaintedAndSurvivesBeingCovered) {
    Open();
    RECT client;
    GetClientRect(window, &client);
    const int w = client.right, top = ComputeGauge(w, client.bottom, 0, 100).frame.top, y = top + 12;
    POINT origin = {0, top - 10};
    ClientToScreen(window, &origin);
    auto coverTheBand = [&](DWORD coveredMs) {
        HWND cover = CreateWindowExA(WS_EX_TOPMOST, "Static", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT,
                                     origin.x, origin.y, w, 60, nullptr, nullptr, nullptr, nullptr);
        PumpMessages(coveredMs);
        DestroyWindow(cover);
    };
    auto repaint = [&] {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        PumpMessages(100);
    };
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0);
    DrawGauge(100, 100, 0);
    PumpMessages(50);
    EXPECT_EQ(Pixels(window, y, w - 4, w - 3)[0], green) << "full, and green before any letter was given";

    // A run from an empty band that ends in a stop, covered and uncovered meanwhile.
    gRunState.gaugePercent = 0;
    repaint();
    HANDLE run = CreateThread(nullptr, 0, GaugeRun, nullptr, 0, nullptr);
    for (bool running = true; running;) {
        running = WaitForSingleObject(run, 0) == WAIT_TIMEOUT; // covered once more after the run
        coverTheBand(60);
        PumpMessages(90);
    }
    CloseHandle(run);
    PumpMessages(200);
    std::vector<COLORREF> during = Pixels(window, y, 0, w);
    repaint();
    EXPECT_EQ(during, Pixels(window, y, 0, w));
    EXPECT_EQ(during[w / 4], red);
    EXPECT_NE(during[w * 3 / 4], red) << "right of the fill is not painted";
    EXPECT_NE(Pixels(window, top - 5, w / 4, w / 4 + 1)[0], red) << "nothing above the band";
    // A success: the band full and green, Quit to press and Stop off.
    EnableWindow(GetDlgItem(window, IDC_STOP_BUTTON), TRUE); // as during a run
    EnableWindow(GetDlgItem(window, IDC_QUIT_BUTTON), FALSE);
    SignalRunEnds(kRunSucceeded);
    PumpMessages(100);
    EXPECT_EQ(Pixels(window, y, w - 4, w - 3)[0], green);
    EXPECT_EQ(ButtonState(window).substr(1, 2), "01");
}

} // namespace
