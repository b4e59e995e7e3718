// The real main dialog from its template, created modeless and sent what a
// user's actions send; the worker is a stand-in that only waits, so no run
// touches a drive here. The test prefix maps a: and e: as removable drives
// and f: as a fixed one.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>

#include "frame/run_state.h"
#include "test_support.h"
#include "ui/control_ids.h"
#include "ui/gauge.h"
#include "ui/main_dialog.h"
#include "ui/message_log.h"

namespace {

using Lines = std::vector<std::string>;
const char kConfirmCaption[] = "Tessarine by the Tessarine authors";
const Lines kHelp = {"Either select the diskette drive", "Put a diskette in the drive and press OK",
                     "Or select a removable USB flash drive", "and press OK",
                     "(C) 2009-2026 the Tessarine authors - tessarine@example.org"};

void PumpMessages(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

std::string ControlText(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

Lines ListTexts(HWND dialog, int id, UINT countMessage, UINT textMessage) {
    Lines lines;
    LRESULT count = SendDlgItemMessageA(dialog, id, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char line[512] = {};
        SendDlgItemMessageA(dialog, id, textMessage, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(line);
    }
    return lines;
}

Lines LogLines(HWND dialog) {
    return ListTexts(dialog, IDC_LOG, LB_GETCOUNT, LB_GETTEXT);
}

// On another thread: waits for the confirmation box, reads it, and presses a button.
struct BoxAnswer {
    int answer = 0;
    Lines texts; // question, by-line, Yes, No
    LRESULT defaultId = 0;
    LONG style = 0;
};

DWORD WINAPI AnswerBox(void* parameter) {
    BoxAnswer* answer = static_cast<BoxAnswer*>(parameter);
    HWND box = nullptr;
    for (DWORD start = GetTickCount(); box == nullptr && GetTickCount() - start < 10000; Sleep(20)) {
        box = FindWindowA(nullptr, kConfirmCaption);
    }
    if (box == nullptr) {
        return 1;
    }
    for (int id : {IDC_QUESTION, IDC_BYLINE, IDC_YES_BUTTON, IDC_NO_BUTTON}) {
        answer->texts.push_back(ControlText(box, id));
    }
    answer->defaultId = LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0));
    answer->style = GetWindowLongA(box, GWL_STYLE);
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer->answer),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer->answer)));
    return 0;
}

HANDLE gWaitForever;

DWORD WINAPI StandInWorker(void*) {
    WaitForSingleObject(gWaitForever, INFINITE);
    return 0;
}

class MainDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static char buffer[kMessageBufferSize];
        gRunState.instance = GetModuleHandleA(nullptr);
        gRunState.messageBuffer = buffer;
        lstrcpyA(gRunState.selectedDrive, "a:");
        gRunState.stopRequest = 0;
        gRunState.runStarted = 0;
        gRunState.gaugePercent = 0;
        gRunState.gaugeLetter = 'W';
        gRunState.logFont =
            CreateFontA(14, 9, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH, "Fixedsys");
        gRunState.threadSemaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
        gRunState.dialogInitSemaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
        gWaitForever = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        gRunState.workerThread = CreateThread(nullptr, 0, StandInWorker, nullptr, 0, nullptr);
    }
    void TearDown() override {
        if (window != nullptr) {
            DestroyWindow(window);
        }
        gRunState.dialogWindow = nullptr;
        SetEvent(gWaitForever);
        WaitForSingleObject(gRunState.workerThread, 2000);
        CloseHandle(gRunState.workerThread);
        CloseHandle(gWaitForever);
        CloseHandle(gRunState.threadSemaphore.load());
        CloseHandle(gRunState.dialogInitSemaphore.load());
        if (gRunState.logFont != nullptr) {
            DeleteObject(gRunState.logFont);
        }
        gRunState.commandLineDrive = 0;
        gRunState.helpSwitch = 0;
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
    // Ok, Stop, Quit, Help enabled and the drive list shown, as "10111".
    std::string Buttons() {
        std::string state;
        for (int id : {IDOK, IDC_STOP_BUTTON, IDC_QUIT_BUTTON, IDC_HELP_BUTTON}) {
            state += IsWindowEnabled(GetDlgItem(window, id)) ? '1' : '0';
        }
        return state + (IsWindowVisible(GetDlgItem(window, IDC_DRIVE_LIST)) ? '1' : '0');
    }
    bool Started() { return WaitForSingleObject(gRunState.threadSemaphore.load(), 0) == WAIT_OBJECT_0; }
    void Select(const char* entry) {
        LRESULT index = SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_FINDSTRINGEXACT,
                                            static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry));
        ASSERT_NE(index, CB_ERR) << entry;
        SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_SETCURSEL, index, 0);
    }
    // Ok on a drive that asks; the box is answered from another thread.
    BoxAnswer OkAnswering(int button) {
        BoxAnswer answer;
        answer.answer = button;
        HANDLE helper = CreateThread(nullptr, 0, AnswerBox, &answer, 0, nullptr);
        Command(IDOK);
        WaitForSingleObject(helper, 10000);
        CloseHandle(helper);
        return answer;
    }
    HWND window = nullptr;
};

TEST_F(MainDialogTest, StartsReady) {
    Open();
    EXPECT_EQ(gRunState.dialogWindow.load(), window);
    struct {
        int id;
        const char* text;
    } texts[] = {{IDC_PROMPT, "Put a diskette in drive or select a flash drive and press Ok"},
                 {IDC_DRIVE_LABEL, "Drive"},
                 {IDOK, "&Ok"},
                 {IDC_STOP_BUTTON, "&Stop"},
                 {IDC_QUIT_BUTTON, "&Quit"},
                 {IDC_HELP_BUTTON, "&Help"}};
    for (const auto& t : texts) {
        EXPECT_EQ(ControlText(window, t.id), t.text);
    }
    EXPECT_EQ(Buttons(), "10111");
    EXPECT_TRUE(LogLines(window).empty());
    EXPECT_EQ(WaitForSingleObject(gRunState.dialogInitSemaphore.load(), 0), WAIT_OBJECT_0)
        << "DialogInit released";
    EXPECT_FALSE(Started());
    EXPECT_EQ(GetMenuState(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1))
        << "the Close command is removed";
    EXPECT_NE(SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageA(window, IDC_LOG, WM_GETFONT, 0, 0)),
              gRunState.logFont);
    // Fixed size: no sizing border, no minimise or maximise box.
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(LOWORD(SendMessageA(window, DM_GETDEFID, 0, 0)), IDOK) << "Ok is the default button";
    // Centred; the template centres it already, so the right edge before the move is the one now.
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2);
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_LOG, LB_GETHORIZONTALEXTENT, 0, 0), 2 * rect.right);
    // The removable drives only, A: first and selected.
    Lines expected;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[4] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_REMOVABLE) {
            expected.push_back(std::string(1, letter) + ":");
        }
    }
    Lines list = ListTexts(window, IDC_DRIVE_LIST, CB_GETCOUNT, CB_GETLBTEXT);
    EXPECT_EQ(list, expected);
    TESS_REQUIRE(GetDriveTypeA("A:\\") == DRIVE_REMOVABLE && GetDriveTypeA("E:\\") == DRIVE_REMOVABLE &&
                     GetDriveTypeA("F:\\") == DRIVE_FIXED,
                 "the test prefix maps a: and e: as removable and f: as fixed");
    EXPECT_EQ(list.front(), "A:");
    EXPECT_NE(std::find(list.begin(), list.end(), "E:"), list.end());
    EXPECT_EQ(std::find(list.begin(), list.end(), "F:"), list.end());
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(gRunState.selectedDrive[0], 'A');
}

// What the user does without a question box, and what follows.
TEST_F(MainDialogTest, UserActions) {
    const Lines working = {"Working... This may take some time"};
    const char* const kNoWorker = "Cannot start the cleaning thread";
    struct Row {
        const char* name;
        void (*before)();   // the run state before the window opens
        const char* select; // the drive list entry, "" to empty the list, null to leave it
        std::vector<int> commands;
        Lines log;
        int starts, stopRequest;
        const char* buttons; // Ok, Stop, Quit, Help enabled, list shown
        const char* drive;
    } rows[] = {
        // clang-format off
        {"Ok on A: starts at once; a second Ok starts nothing more", nullptr, "A:", {IDOK, IDOK},
         working, 1, 0, "01011", "A:"},
        {"Escape before Ok: Ok stays", nullptr, "A:", {IDCANCEL}, {}, 0, 1, "10111", "A:"},
        {"Escape, then Ok: the request is cleared before the start order", nullptr, "A:", {IDCANCEL, IDOK},
         working, 1, 0, "01011", "A:"},
        {"Stop during a run", nullptr, "A:", {IDOK, IDC_STOP_BUTTON}, working, 1, 1, "00111", "A:"},
        {"a drive from the command line: no list, no question",
         [] { gRunState.commandLineDrive = 1, gRunState.selectedDrive[0] = 'e'; }, nullptr, {IDOK},
         working, 1, 0, "01010", "e:"},
        {"no removable drive: Ok starts nothing", nullptr, "", {IDOK}, {"No removable drive found"},
         0, 0, "10111", "A:"},
        {"no worker: reported, and Ok starts nothing", [] { gRunState.workerThread = nullptr; }, "A:", {IDOK},
         {kNoWorker, kNoWorker}, 0, 0, "10111", "A:"},
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
            TESS_REQUIRE(GetDriveTypeA("A:\\") == DRIVE_REMOVABLE, "the test prefix maps a: as removable");
            Select(row.select);
        }
        int starts = 0;
        for (int command : row.commands) {
            Command(command);
            starts += Started() ? 1 : 0;
        }
        EXPECT_EQ(FindWindowA(nullptr, kConfirmCaption), nullptr) << "no question";
        Lines log = row.log;
        for (int command : row.commands) {
            if (command == IDC_HELP_BUTTON) {
                log.insert(log.end(), kHelp.begin(), kHelp.end());
            }
        }
        EXPECT_EQ(LogLines(window), log);
        EXPECT_EQ(starts, row.starts);
        EXPECT_EQ(gRunState.stopRequest.load(), row.stopRequest);
        EXPECT_EQ(Buttons(), row.buttons);
        EXPECT_STREQ(gRunState.selectedDrive, row.drive);
        gRunState.workerThread = worker;
    }
}

TEST_F(MainDialogTest, OtherDrivesAskFirst) {
    Open();
    TESS_REQUIRE(GetDriveTypeA("E:\\") == DRIVE_REMOVABLE, "the test prefix maps e: as removable");
    Select("E:");
    BoxAnswer no = OkAnswering(IDC_NO_BUTTON);
    EXPECT_EQ(no.texts, (Lines{"Are you sure you want to clean sectors on [E] ?",
                               "Tessarine Version 0.10 by the Tessarine authors", "Yes", "No"}));
    EXPECT_EQ(no.defaultId, IDC_NO_BUTTON) << "No is the default button";
    EXPECT_EQ(no.style & WS_SYSMENU, 0) << "no close box: answered through its buttons";
    EXPECT_FALSE(Started());
    EXPECT_TRUE(LogLines(window).empty());
    EXPECT_EQ(Buttons(), "10111");
    EXPECT_FALSE(OkAnswering(IDCANCEL).texts.empty()) << "a second Ok asks again";
    EXPECT_FALSE(Started()) << "Escape in the box is No";
    EXPECT_FALSE(OkAnswering(IDC_YES_BUTTON).texts.empty());
    EXPECT_TRUE(Started());
    EXPECT_STREQ(gRunState.selectedDrive, "E:");
    EXPECT_EQ(LogLines(window), Lines{"Working... This may take some time"});
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
    LRESULT top = SendDlgItemMessageA(window, IDC_LOG, LB_GETTOPINDEX, 0, 0);
    RECT box;
    GetClientRect(GetDlgItem(window, IDC_LOG), &box);
    LRESULT visible = box.bottom / SendDlgItemMessageA(window, IDC_LOG, LB_GETITEMHEIGHT, 0, 0);
    EXPECT_GE(top + visible, static_cast<LRESULT>(lines.size()));
}

// The icons: the first is what the shell shows for the program file.
TEST_F(MainDialogTest, IconsAre32By32In16And256Colours) {
    struct Row {
        WORD group, bits;
    } rows[] = {{IDI_SMALL_ICON, 4}, {IDI_MAIN_ICON, 8}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.group);
        HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(row.group), RT_GROUP_ICON);
        ASSERT_NE(group, nullptr);
        int id = LookupIconIdFromDirectoryEx(static_cast<BYTE*>(LockResource(LoadResource(nullptr, group))),
                                             TRUE, 32, 32, 0);
        HRSRC image = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_ICON);
        ASSERT_NE(image, nullptr);
        const BITMAPINFOHEADER* header =
            static_cast<BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, image)));
        EXPECT_EQ(header->biWidth, 32);
        EXPECT_EQ(header->biHeight, 64);
        EXPECT_EQ(header->biBitCount, row.bits);
    }
}

TEST_F(MainDialogTest, TabOrderSkipsWhatIsDisabled) {
    Open();
    std::vector<int> order;
    HWND control = GetDlgItem(window, IDC_DRIVE_LIST);
    for (int i = 0; i < 5; ++i) {
        control = GetNextDlgTabItem(window, control, FALSE);
        order.push_back(GetDlgCtrlID(control));
    }
    EXPECT_EQ(order, (std::vector<int>{IDOK, IDC_QUIT_BUTTON, IDC_HELP_BUTTON, IDC_DRIVE_LIST, IDOK}));
}

TEST_F(MainDialogTest, QuitEndsTheDialog) {
    Open();
    HFONT font = gRunState.logFont;
    EXPECT_EQ(MainDialogProc(window, WM_COMMAND, IDC_QUIT_BUTTON, 0), 1);
    EXPECT_EQ(gRunState.logFont, nullptr);
    EXPECT_EQ(GetObjectType(font), 0u) << "the log font is deleted";
}

// Lays another window over the gauge's band for a while, then takes it away.
void CoverTheBand(HWND window, DWORD coveredMs) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, ComputeGauge(client.right, client.bottom, 0, 100).frame.top - 10};
    ClientToScreen(window, &origin);
    HWND cover = CreateWindowExA(WS_EX_TOPMOST, "Static", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, origin.x,
                                 origin.y, client.right, 60, nullptr, nullptr, nullptr, nullptr);
    PumpMessages(coveredMs);
    DestroyWindow(cover);
}

COLORREF PixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

// A run repaints the gauge after every write, but draws only when the band
// changes: the band must still be what a repaint from the stored state draws.
DWORD WINAPI GaugeRun(void*) {
    for (unsigned percent = 0; percent < 40; ++percent) {
        for (int pass = 0; pass < 200; ++pass) {
            DrawGauge(percent, 100, 'W');
        }
        Sleep(10);
    }
    DrawGauge(50, 100, 'E'); // a stop
    return 0;
}

std::vector<COLORREF> BandRow(HWND window, int y, int width) {
    std::vector<COLORREF> row;
    HDC dc = GetDC(window);
    for (int x = 0; x < width; ++x) {
        row.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(window, dc);
    return row;
}

TEST_F(MainDialogTest, GaugeIsPaintedAndSurvivesBeingCovered) {
    Open();
    RECT client;
    GetClientRect(window, &client);
    GaugeGeometry g = ComputeGauge(client.right, client.bottom, 50, 100);
    int y = (g.fill.top + g.fill.bottom) / 2;
    DrawGauge(50, 100, 0);
    EXPECT_EQ(PixelAt(window, client.right / 4, y), RGB(0, 255, 0)) << "green before any letter was given";
    DrawGauge(50, 100, 'E');
    PumpMessages(100);
    EXPECT_EQ(PixelAt(window, client.right / 4, y), RGB(255, 0, 0));
    EXPECT_NE(PixelAt(window, client.right * 3 / 4, y), RGB(255, 0, 0)) << "right of the fill is not painted";
    EXPECT_NE(PixelAt(window, client.right / 4, g.frame.top - 5), RGB(255, 0, 0)) << "nothing above the band";

    CoverTheBand(window, 200);
    PumpMessages(300);
    EXPECT_EQ(PixelAt(window, client.right / 4, y), RGB(255, 0, 0)) << "repainted red from the stored state";
    EXPECT_EQ(gRunState.gaugePercent.load(), 50);

    DrawGauge(100, 100, 'W');
    PumpMessages(50);
    EXPECT_EQ(PixelAt(window, client.right - 4, y), RGB(0, 255, 0));

    // A run from an empty band, covered and uncovered meanwhile.
    gRunState.gaugePercent = 0;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    HANDLE run = CreateThread(nullptr, 0, GaugeRun, nullptr, 0, nullptr);
    bool running = true;
    while (running) {
        running = WaitForSingleObject(run, 0) == WAIT_TIMEOUT; // covered once more after the run
        CoverTheBand(window, 60);
        PumpMessages(90);
    }
    CloseHandle(run);
    PumpMessages(200);
    std::vector<COLORREF> during = BandRow(window, y, client.right);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    PumpMessages(100);
    EXPECT_EQ(during, BandRow(window, y, client.right));
    EXPECT_EQ(during[client.right / 2], RGB(255, 0, 0));
}

} // namespace
