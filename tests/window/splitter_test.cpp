#include "window_fixture.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace tunedeck::testing {
namespace {

using SplitterTest = WindowTest;

int twipsOf(const frmTunedeck& w, int pixels) {
    return w.twips().toTwips(pixels);
}

// Sends a mouse move to the bar with `buttons` held, `y` pixels below its top edge.
void moveOverBar(frmTunedeck& w, int y, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(50, y), w.picSep->mapToGlobal(QPointF(50, y)), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w.picSep, &move);
}

TEST_F(SplitterTest, DraggingTheBarMovesItsTopToThePointerWithinTheMargins) {
    frmTunedeck& w = start();
    const int clientHeight = twipsOf(w, w.centralWidget()->height());
    struct Step {
        int pointerTop;  // where the pointer is, in twips from the client's top
        bool moves;
    };
    const Step steps[] = {
        {3000, true}, {200, false}, {1500, true}, {clientHeight - 100, false}, {clientHeight + 500, false},
    };
    for (const Step& step : steps) {
        const int before = w.splitterTop();
        const int y = w.twips().toPixels(step.pointerTop) - w.picSep->y();
        moveOverBar(w, y, Qt::LeftButton);
        if (step.moves) {
            EXPECT_EQ(w.splitterTop(), before + twipsOf(w, y)) << step.pointerTop;
            EXPECT_EQ(w.picSep->y(), w.twips().toPixels(w.splitterTop())) << step.pointerTop;
            EXPECT_EQ(w.lvwFile->height(), w.twips().toPixels(w.splitterTop())) << step.pointerTop;
            EXPECT_EQ(w.fraSong->y(), w.picSep->y() + w.picSep->height()) << step.pointerTop;
        } else {
            EXPECT_EQ(w.splitterTop(), before) << step.pointerTop;
        }
    }

    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        const int before = w.splitterTop();
        moveOverBar(w, 40, button);
        EXPECT_EQ(w.splitterTop(), before) << button;
    }

    const int last = w.splitterTop();
    closeWindow();
    EXPECT_EQ(folder.settings().readInt(u"Separate"_s, -1), last);
}

TEST_F(SplitterTest, ResizingTheWindowArrangesThePanes) {
    frmTunedeck& w = start();
    w.resize(700, 500);
    QCoreApplication::processEvents();
    const int clientWidth = w.centralWidget()->width();
    EXPECT_EQ(w.fraSong->width(), clientWidth);
    EXPECT_EQ(w.lvwSong->width(), clientWidth);
    EXPECT_EQ(w.picSep->width(), clientWidth);
    EXPECT_EQ(w.lvwFile->x() + w.lvwFile->width(), clientWidth);
    EXPECT_EQ(w.stbRioInfo->y() + w.stbRioInfo->height(), w.centralWidget()->height());
    EXPECT_EQ(w.fraSong->y() + w.fraSong->height(), w.stbRioInfo->y());

    // Narrower than the folder tree: the file list keeps its last width, the rest follows the window.
    const int fileListWidth = w.lvwFile->width();
    w.resize(150, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.lvwFile->width(), fileListWidth);
    EXPECT_EQ(w.fraSong->width(), w.centralWidget()->width());
}

}  // namespace
}  // namespace tunedeck::testing
