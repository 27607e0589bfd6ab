// The Qt side of a dialog: its window and controls, menus, timers, colours and messages.
#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>
#include <map>

#include "platform/ui/dialog_access.h"
#include "platform/ui/qt/button_check.h"
#include "platform/ui/qt/control_text.h"
#include "platform/ui/qt/dialog_colours.h"
#include "platform/ui/qt/dialog_controls.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/gdi_qt.h"
#include "platform/ui/qt/menu_items.h"
#include "platform/ui/qt/paint_pacer.h"
#include "platform/ui/qt/qt_text.h"
#include "platform/ui/qt/window_ref.h"
#include "platform/ui/qt/window_registry.h"

using namespace tarvex::platform;

struct CDialog::Impl {
    DialogWindow* window = nullptr;
    std::shared_ptr<WindowLink> link;
    std::shared_ptr<WindowRef> menuBar;
    std::shared_ptr<WindowRef> systemMenu;
    std::map<UINT_PTR, QTimer*> timers;
    HICON icon = nullptr;

    void Build(CDialog& owner, const DialogTemplate& dialogTemplate, QWidget* parent);
    // The menu bar of the template's menu; returns its height (0 without a menu).
    int BuildMenuBar(CDialog& owner, const DialogTemplate& dialogTemplate,
                     const DialogUnits& units);
    void BuildSystemMenu(CDialog& owner);
    // The template's controls, below the menu bar's `top`.
    void BuildControls(CDialog& owner, const DialogTemplate& dialogTemplate,
                       const DialogUnits& units, int top);
    std::shared_ptr<WindowRef> Ref(QWidget* widget, int id) {
        auto ref = std::make_shared<WindowRef>();
        ref->link = link;
        ref->widget = widget;
        ref->id = id;
        return ref;
    }
};

void CDialog::Impl::Build(CDialog& owner, const DialogTemplate& dialogTemplate, QWidget* parent) {
    link = WindowLink::Create();
    window = new DialogWindow(owner, parent);
    new PaintPacer(window);
    // A dialog with an owner is the owner's: it stays above it, opens centred on it and is
    // never minimised on its own (a minimised box would leave its owner blocked with nothing on
    // the screen to say why). Only a window of its own may be minimised.
    Qt::WindowFlags flags = (parent != nullptr ? Qt::Dialog : Qt::Window) | Qt::WindowTitleHint |
                            Qt::CustomizeWindowHint;
    if (dialogTemplate.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    // The frame's boxes as GetStyle tells them. A dialog keeps the size of its template, and
    // window managers offer no maximise button on a window of fixed size: WS_MAXIMIZEBOX is not
    // offered here (Windows maximises such a window to the screen's size).
    DWORD frame = dialogTemplate.style & (WS_CAPTION | WS_SYSMENU);
    if (parent == nullptr && (dialogTemplate.style & WS_MINIMIZEBOX)) {
        flags |= Qt::WindowMinimizeButtonHint;
        frame |= WS_MINIMIZEBOX;
    }
    window->setWindowFlags(flags);
    window->setProperty(kStyleProperty, static_cast<uint>(frame));
    window->setWindowTitle(QString::fromWCharArray(dialogTemplate.caption));
    QFont font = QApplication::font();
    font.setPointSize(dialogTemplate.pointSize);
    window->setFont(font);
    const DialogUnits units(font);

    const int top = BuildMenuBar(owner, dialogTemplate, units);
    if (dialogTemplate.style & WS_SYSMENU) BuildSystemMenu(owner);
    BuildControls(owner, dialogTemplate, units, top);
    window->setFixedSize(units.X(dialogTemplate.cx), top + units.Y(dialogTemplate.cy));
}

int CDialog::Impl::BuildMenuBar(CDialog& owner, const DialogTemplate& dialogTemplate,
                                const DialogUnits& units) {
    if (dialogTemplate.menu.empty()) return 0;
    auto* bar = new QMenuBar(window);
    bar->setNativeMenuBar(false);
    AppendMenuItems(bar, dialogTemplate.menu);
    const int top = bar->sizeHint().height();
    const QList<QAction*> popups = bar->actions();
    for (int index = 0; index < popups.size(); ++index) {
        if (QMenu* popup = popups[index]->menu()) {
            QObject::connect(popup, &QMenu::aboutToShow, window, [&owner, index] {
                CMenu menu = owner.GetMenu().GetSubMenu(index);
                DialogAccess::InitMenuPopup(owner, menu, static_cast<UINT>(index), FALSE);
            });
        }
    }
    bar->setGeometry(0, 0, units.X(dialogTemplate.cx), top);
    QObject::connect(bar, &QMenuBar::triggered, window, [&owner](QAction* action) {
        RestoreCheckMark(action);
        DialogAccess::Command(owner, CommandIdOf(action));
    });
    menuBar = Ref(bar, 0);
    return top;
}

void CDialog::Impl::BuildSystemMenu(CDialog& owner) {
    auto* menu = new QMenu(window);
    AppendMenuItem(menu, MF_STRING, SC_CLOSE, QStringLiteral("&Close"));
    QObject::connect(menu, &QMenu::triggered, window, [&owner](QAction* action) {
        RestoreCheckMark(action);
        DialogAccess::SysCommand(owner, CommandIdOf(action));
    });
    window->SetSystemMenu(menu);
    systemMenu = Ref(menu, 0);
    // A window shortcut, so that Alt+Space reaches the menu whichever control has the focus
    // (a focused push button would otherwise take the Space and be pressed).
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, [window = this->window] {
        window->SystemMenu()->popup(window->mapToGlobal(QPoint(0, 0)));
    });
}

void CDialog::Impl::BuildControls(CDialog& owner, const DialogTemplate& dialogTemplate,
                                  const DialogUnits& units, int top) {
    QButtonGroup* radioGroup = nullptr;
    QWidget* previous = nullptr;
    std::vector<QWidget*> groupBoxes;
    for (const DialogControl& control : dialogTemplate.controls) {
        QWidget* widget = MakeControl(control, units, window);
        widget->setGeometry(units.Rect(control.rect, top));
        widget->setProperty(kStyleProperty, static_cast<uint>(control.style));
        widget->setProperty(kIdProperty, control.id);
        if (qobject_cast<QLabel*>(widget) != nullptr) widget->installEventFilter(window);
        if (control.style & WS_GROUP) radioGroup = nullptr;
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            if (radioGroup == nullptr) radioGroup = new QButtonGroup(window);
            radioGroup->addButton(radio);
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const UINT id = static_cast<UINT>(control.id);
            QObject::connect(button, &QAbstractButton::clicked, window,
                             [&owner, id] { DialogAccess::Command(owner, id); });
        }
        if (qobject_cast<QGroupBox*>(widget) != nullptr) groupBoxes.push_back(widget);
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous != nullptr) QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
        if (control.id != IDC_STATIC)
            DialogAccess::AddControl(owner, control.id, Ref(widget, control.id));
    }
    // Group boxes only frame their neighbours: they go below them, so clicks reach the controls.
    for (QWidget* box : groupBoxes) box->lower();
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* parent)
    : template_(dialogTemplate), m_pParentWnd(parent), impl_(std::make_unique<Impl>()) {}

CDialog::~CDialog() {
    if (impl_->link) impl_->link->Close();
    delete impl_->window;
}

INT_PTR CDialog::DoModal() {
    if (impl_->window != nullptr || !IsWindowThread()) return -1;
    QWidget* parent = m_pParentWnd != nullptr && m_pParentWnd->Window() != nullptr
                          ? m_pParentWnd->Window()->widget.data()
                          : nullptr;
    impl_->Build(*this, template_, parent);
    auto self = impl_->Ref(impl_->window, 0);
    self->hwnd = RegisterWindow(impl_->window);
    Attach(self);

    OnInitDialog();
    ApplyColours(*this, impl_->window, 0);
    for (const auto& [id, control] : controls_) ApplyColours(*this, impl_->window, id);
    const int result = impl_->window->exec();

    // The window goes now: every later call on it, from any thread, fails.
    impl_->link->Close();
    UnregisterWindow(self->hwnd);
    subclassed_.clear();
    for (auto& [id, timer] : impl_->timers) delete timer;
    impl_->timers.clear();
    delete impl_->window;
    impl_->window = nullptr;
    return result;
}

// The system menu holds only its close item here: there is nothing else to hand on.
void CDialog::PassToSystem(UINT /*id*/) {}

void CDialog::EndDialog(int result) {
    if (impl_->window != nullptr) impl_->window->done(result);
}

BOOL CDialog::CheckDlgButton(int id, UINT check) {
    auto window = ControlWindow(id);
    return window != nullptr && window->With<QAbstractButton>([&](QAbstractButton* button) {
        SetButtonCheck(button, static_cast<int>(check));
    })
               ? TRUE
               : FALSE;
}

UINT CDialog::IsDlgButtonChecked(int id) const {
    int check = BST_UNCHECKED;
    if (auto window = ControlWindow(id)) {
        window->With<QAbstractButton>([&](QAbstractButton* button) {
            check = button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
        });
    }
    return static_cast<UINT>(check);
}

CMenu CDialog::GetMenu() const { return impl_->menuBar ? CMenu(impl_->menuBar) : CMenu(); }

CMenu CDialog::GetSystemMenu(BOOL /*revert*/) const {
    return impl_->systemMenu ? CMenu(impl_->systemMenu) : CMenu();
}

UINT_PTR CDialog::SetTimer(UINT_PTR id, UINT elapseMs, void* /*timerProc*/) {
    if (impl_->window == nullptr || id == 0) return 0;
    QTimer*& timer = impl_->timers[id];
    if (timer == nullptr) {
        timer = new QTimer(impl_->window);
        QObject::connect(timer, &QTimer::timeout, impl_->window,
                         [this, id] { DialogAccess::Timer(*this, id); });
    }
    timer->start(static_cast<int>(std::min<UINT>(elapseMs, INT32_MAX)));
    return id;
}

BOOL CDialog::KillTimer(UINT_PTR id) {
    auto it = impl_->timers.find(id);
    if (it == impl_->timers.end()) return FALSE;
    delete it->second;
    impl_->timers.erase(it);
    return TRUE;
}

BOOL CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    DialogWindow* window = impl_->window;
    if (window == nullptr ||
        (message != WM_CLOSE && message != WM_COMMAND && message != WM_SYSCOMMAND)) {
        return FALSE;
    }
    // Queued on the window: dropped if the window goes first.
    QMetaObject::invokeMethod(
        window, [window, message, wParam, lParam] { window->Receive(message, wParam, lParam); },
        Qt::QueuedConnection);
    return TRUE;
}

LRESULT DialogWindow::Receive(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            DialogAccess::Command(owner_, static_cast<UINT>(wParam & 0xFFFF));
            return 0;
        case WM_SYSCOMMAND:
            DialogAccess::SysCommand(owner_, static_cast<UINT>(wParam));
            return 0;
        case WM_CLOSE:
            DialogAccess::Close(owner_);
            return 0;
        case WM_INITMENUPOPUP: {
            const int position = static_cast<int>(lParam & 0xFFFF);
            CMenu popup = owner_.GetMenu().GetSubMenu(position);
            DialogAccess::InitMenuPopup(owner_, popup, static_cast<UINT>(position), FALSE);
            return 0;
        }
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(DialogAccess::QueryDragIcon(owner_));
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            DialogAccess::EndSession(owner_, static_cast<BOOL>(wParam));
            return 0;
        default:
            return 0;
    }
}

void CDialog::SetIcon(HICON icon, BOOL /*bigIcon*/) {
    impl_->icon = icon;
    if (impl_->window != nullptr && icon != nullptr) {
        impl_->window->setWindowIcon(*reinterpret_cast<const QIcon*>(icon));
    }
}

// One icon serves both sizes: Qt scales it.
HICON CDialog::GetIcon(BOOL /*bigIcon*/) const {
    return impl_->window != nullptr ? impl_->icon : nullptr;
}

BOOL CDialog::IsIconic() const {
    return impl_->window != nullptr && impl_->window->isMinimized() ? TRUE : FALSE;
}
