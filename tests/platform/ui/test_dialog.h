// A small dialog that uses every kind of control and menu the window layer offers.
#pragma once

#include <atomic>
#include <vector>

#include "platform/ui/dialog.h"

namespace test_dialog {

enum : int {
    kRadioA = 10,
    kRadioB = 11,
    kEditInGroup = 12,
    kRadioC = 13,
    kRadioX = 20,
    kRadioY = 21,
    kButton = 30,
    kProgress = 40,
    kEdit = 50,
    kStatus = 60
};
enum : unsigned { kFirst = 40001, kSecond = 40002, kInner = 40010 };

inline constexpr tarvex::platform::MenuItemTemplate kNested[] = {{L"Inner", kInner}};
inline constexpr tarvex::platform::MenuItemTemplate kOne[] = {
    {L"&First", kFirst}, {nullptr, 0}, {L"Second", kSecond}};
inline constexpr tarvex::platform::MenuItemTemplate kTwo[] = {{L"Nested", 0, kNested}};
inline constexpr tarvex::platform::MenuItemTemplate kMenu[] = {{L"&One", 0, kOne},
                                                               {L"&Two", 0, kTwo}};

inline constexpr tarvex::platform::DialogControl kControls[] = {
    {kRadioA,
     tarvex::platform::ControlKind::AutoRadioButton,
     L"A",
     WS_GROUP | WS_TABSTOP,
     {5, 5, 40, 10}},
    {kRadioB, tarvex::platform::ControlKind::AutoRadioButton, L"B", 0, {5, 17, 40, 10}},
    {kEditInGroup, tarvex::platform::ControlKind::Edit, L"", WS_BORDER, {50, 17, 40, 12}},
    {kRadioC, tarvex::platform::ControlKind::AutoRadioButton, L"C", 0, {5, 29, 40, 10}},
    {IDC_STATIC, tarvex::platform::ControlKind::Static, L"Second group:", WS_GROUP, {5, 43, 60, 9}},
    {kRadioX, tarvex::platform::ControlKind::AutoRadioButton, L"X", 0, {5, 55, 40, 10}},
    {kRadioY, tarvex::platform::ControlKind::AutoRadioButton, L"Y", 0, {5, 67, 40, 10}},
    {kButton, tarvex::platform::ControlKind::PushButton, L"Go", WS_TABSTOP, {100, 5, 40, 14}},
    {kProgress, tarvex::platform::ControlKind::ProgressBar, nullptr, WS_BORDER, {100, 25, 80, 10}},
    {kEdit, tarvex::platform::ControlKind::Edit, L"", WS_BORDER | WS_TABSTOP, {100, 40, 80, 12}},
    {kStatus, tarvex::platform::ControlKind::Static, L"", 0, {100, 56, 90, 20}},
};

inline constexpr tarvex::platform::DialogTemplate kTemplate = {
    1, L"Test", 200, 90, WS_CAPTION | WS_SYSMENU, 8, kMenu, kControls,
};

}  // namespace test_dialog

class TestDialog : public CDialog {
  public:
    TestDialog() : CDialog(test_dialog::kTemplate) {
        MapCommand(test_dialog::kButton, [this] { ++buttonClicks; });
        MapCommand(test_dialog::kFirst, [this] { ++firstChosen; });
        MapCommand(test_dialog::kInner, [this] { ++innerChosen; });
    }

    // Public, as a class-library dialog's data-exchange members and the test's counters are: the
    // test sets and reads them.
    int m_nChoice = 0;
    std::wstring m_text;
    CProgressCtrl m_progress;
    CButton m_button;
    std::atomic<int> buttonClicks{0};
    std::atomic<int> firstChosen{0};
    std::atomic<int> innerChosen{0};
    std::atomic<int> closes{0};
    std::vector<UINT_PTR> timers;
    std::vector<UINT> sysCommands;

  protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Radio(pDX, test_dialog::kRadioA, m_nChoice);
        DDX_Text(pDX, test_dialog::kEdit, m_text);
        DDX_Control(pDX, test_dialog::kProgress, m_progress);
        DDX_Control(pDX, test_dialog::kButton, m_button);
    }
    void OnClose() override {
        ++closes;
        CDialog::OnClose();
    }
    void OnTimer(UINT_PTR id) override { timers.push_back(id); }
    void OnSysCommand(UINT id, LPARAM lParam) override {
        sysCommands.push_back(id);
        CDialog::OnSysCommand(id, lParam);
    }
};
