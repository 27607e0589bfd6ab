// What the window paints while a job changes it faster than a screen can show: the progress bar
// only when its filled part moves, the window at most once a frame, and always the last change.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QWidget>

#include "support/dialog_driver.h"
#include "test_dialog.h"

namespace {

using namespace test_dialog;
using tarvex::platform::ControlWidget;

// Counts the paint events of one widget, and for a static text the text it last painted.
class PaintCounter final : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;
    QString painted;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            if (auto* label = qobject_cast<QLabel*>(watched)) painted = label->text();
        }
        return false;
    }
};

// Lets the window thread take whatever is due for `ms`.
void Settle(int ms) {
    WaitUntil([] { return false; }, ms);
}

// A job sets the bar after every block: the call costs no paint, and a paint comes only when the
// bar's filled part has moved.
TEST(Paint, TheBarIsPaintedLaterAndOnlyWhenItsFilledPartMoves) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        CProgressCtrl& bar = dialog.m_progress;
        QWidget* widget = ControlWidget(dialog, kProgress);
        bar.SetRange32(0, 1'000'000);
        bar.SetPos(0);
        Settle(100);
        PaintCounter counter(widget);
        const int pixelWorth = 1'000'000 / widget->width();
        for (int position = 1; position < pixelWorth; position += pixelWorth / 50) {
            bar.SetPos(position);
            Settle(1);
        }
        EXPECT_EQ(counter.paints, 0) << "nothing the bar shows has changed";
        bar.SetPos(pixelWorth * 3);
        EXPECT_EQ(counter.paints, 0) << "not painted within the call";
        Settle(100);
        EXPECT_GE(counter.paints, 1) << "the bar has grown";
        EXPECT_EQ(bar.GetPos(), pixelWorth * 3);
    });
}

TEST(Paint, AWindowChangedWithoutPauseIsPaintedOnceAFrameAndShowsTheLastChange) {
    TestDialog dialog;
    RunModal(dialog, [&] {
        auto* label = qobject_cast<QLabel*>(ControlWidget(dialog, kStatus));
        ASSERT_NE(label, nullptr);
        Settle(100);
        PaintCounter counter(label);
        QElapsedTimer elapsed;
        elapsed.start();
        constexpr int kChanges = 400;
        for (int i = 1; i <= kChanges; ++i) {
            dialog.GetDlgItem(kStatus)->SetWindowText(L"Step " + std::to_wstring(i));
            QCoreApplication::processEvents();  // a paint could be taken after every change
        }
        const qint64 changingMs = elapsed.elapsed();
        Settle(100);
        const int frames = static_cast<int>(changingMs / 16) + 3;
        EXPECT_LE(counter.paints, frames) << kChanges << " changes in " << changingMs << " ms";
        EXPECT_GE(counter.paints, 1);
        EXPECT_EQ(counter.painted, QStringLiteral("Step 400")) << "the last change is shown";
    });
}

}  // namespace
