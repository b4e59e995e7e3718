// The real main dialog from its template, created modeless and sent what a
// user's actions send; the worker is a stand-in that only waits, so no run
// touches a drive here. The test prefix maps a: and e: as removable drives
// and f: as a fixed one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "frame/run_state.h"
#include "scripts/driver/window_reader.h"
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

DWORD WINAPI StandInWorker(void*) {
    Sleep(INFINITE);
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
        gRunState.workerThread = CreateThread(nullptr, 0, StandInWorker, nullptr, 0, nullptr);
    }
    void TearDown() override {
        if (window != nullptr) {
            DestroyWindow(window);
        }
        gRunState.dialogWindow = nullptr;
        TerminateThread(gRunState.workerThread, 0);
        CloseHandle(gRunState.workerThread);
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
    EXPECT_EQ(
        Texts(window, {IDC_PROMPT, IDC_DRIVE_LABEL, IDOK, IDC_STOP_BUTTON, IDC_QUIT_BUTTON, IDC_HELP_BUTTON}),
        (Lines{"Put a diskette in drive or select a flash drive and press Ok", "Drive", "&Ok", "&Stop",
               "&Quit", "&Help"}));
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
    // Quit ends the dialog and deletes the log font.
    HFONT font = gRunState.logFont;
    EXPECT_EQ(MainDialogProc(window, WM_COMMAND, IDC_QUIT_BUTTON, 0), 1);
    EXPECT_EQ(gRunState.logFont, nullptr);
    EXPECT_EQ(GetObjectType(font), 0u);
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

// A run repaints the gauge after every write, but draws only when the band
// changes: the band must still be what a repaint from the stored state draws,
// also when another window lay over it meanwhile.
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
}

} // namespace
