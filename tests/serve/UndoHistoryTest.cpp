// One palette callback is one undo step, however many objects it changed.
#include <gtest/gtest.h>

#include <cstring>

#include "UndoHistory.h"

namespace shunthost::serve {
namespace {

class UndoHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a", "b"}) {
            simhost::ArtObject path;
            path.type = kPathArt;
            path.name = name;
            path.style = simhost::defaultPathStyle();
            document.add(path);
        }
        simhost::ArtObject image;
        image.type = kPlacedArt;
        image.name = "image";
        document.add(image);
    }
    // What a click does: both paths' patterns move, the image turns.
    void changeEverything(float by) {
        document.art(0).style.transform.ty -= by;
        document.art(1).style.transform.ty -= by;
        document.art(2).matrix.a += by;
    }
    simhost::Document document;
    UndoHistory history;
};

TEST_F(UndoHistoryTest, AStepThatChangedNothingIsNotRecorded) {
    EXPECT_FALSE(history.record(captureState(document), document));
    EXPECT_FALSE(history.canUndo());
}

TEST_F(UndoHistoryTest, ReservedBytesDoNotCountAsAChange) {
    DocumentState before = captureState(document);
    std::memset(document.art(0).style.reserved135, 0x5A, sizeof document.art(0).style.reserved135);
    EXPECT_FALSE(history.record(before, document));
}

TEST_F(UndoHistoryTest, NegativeZeroIsAChange) {
    DocumentState before = captureState(document);
    document.art(0).style.dashOffset = -0.0f;
    EXPECT_TRUE(history.record(before, document));
}

TEST_F(UndoHistoryTest, UndoTakesBackTheWholeStepAndRedoDoesItAgain) {
    DocumentState before = captureState(document);
    changeEverything(8);
    ASSERT_TRUE(history.record(before, document));
    const DocumentState after = captureState(document);

    EXPECT_TRUE(history.undo(document));
    EXPECT_TRUE(sameState(captureState(document), before));
    EXPECT_FALSE(history.canUndo());
    EXPECT_TRUE(history.redo(document));
    EXPECT_TRUE(sameState(captureState(document), after));
    EXPECT_FALSE(history.canRedo());
}

TEST_F(UndoHistoryTest, StepsAreUndoneLastFirst) {
    const DocumentState start = captureState(document);
    changeEverything(1);
    history.record(start, document);
    const DocumentState middle = captureState(document);
    changeEverything(2);
    history.record(middle, document);

    history.undo(document);
    EXPECT_TRUE(sameState(captureState(document), middle));
    history.undo(document);
    EXPECT_TRUE(sameState(captureState(document), start));
    EXPECT_FALSE(history.undo(document));
}

// A full history lets its oldest steps go, never the one just made.
TEST_F(UndoHistoryTest, AFullHistoryKeepsItsLatestStep) {
    UndoHistory full(1);
    const DocumentState start = captureState(document);
    changeEverything(1);
    ASSERT_TRUE(full.record(start, document));
    const DocumentState middle = captureState(document);
    changeEverything(2);
    ASSERT_TRUE(full.record(middle, document));

    EXPECT_TRUE(full.undo(document));
    EXPECT_TRUE(sameState(captureState(document), middle));
    EXPECT_FALSE(full.undo(document));
    EXPECT_TRUE(full.redo(document));
    EXPECT_FALSE(full.canRedo());
}

TEST_F(UndoHistoryTest, ANewStepDropsWhatCouldBeRedone) {
    DocumentState before = captureState(document);
    changeEverything(1);
    history.record(before, document);
    history.undo(document);
    before = captureState(document);
    document.art(1).style.dashOffset = 3;
    history.record(before, document);
    EXPECT_FALSE(history.canRedo());
    history.undo(document);
    EXPECT_TRUE(sameState(captureState(document), before));
}

// A step keeps only the objects it changed, so undoing it touches no other.
TEST_F(UndoHistoryTest, UndoTakesBackOnlyTheObjectsTheStepChanged) {
    const DocumentState before = captureState(document);
    document.art(1).style.dashOffset = 3;
    ASSERT_TRUE(history.record(before, document));
    document.art(2).style.dashOffset = 5;  // not through the history
    history.undo(document);
    EXPECT_EQ(document.art(1).style.dashOffset, before[1].style.dashOffset);
    EXPECT_EQ(document.art(2).style.dashOffset, 5);
    history.redo(document);
    EXPECT_EQ(document.art(1).style.dashOffset, 3);
}

TEST_F(UndoHistoryTest, UndoLeavesTheSelectionAlone) {
    DocumentState before = captureState(document);
    changeEverything(1);
    history.record(before, document);
    document.select({2});
    history.undo(document);
    EXPECT_EQ(document.selection(), std::vector<simhost::ArtId>{2});
}

}  // namespace
}  // namespace shunthost::serve
