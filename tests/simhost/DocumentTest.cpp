// The document's record of which objects may have changed, which a writer of
// files relies on to skip the rest: every way to change an object must mark it.
#include <gtest/gtest.h>

#include "simhost/Document.h"

namespace {

using simhost::ArtId;
using simhost::ArtObject;
using simhost::Document;

// A group holding two paths, built and then taken as unchanged.
struct GroupOfTwo : ::testing::Test {
    GroupOfTwo() {
        ArtObject group;
        group.type = kGroupArt;
        groupId = document.add(std::move(group));
        for (ArtId* id : {&first, &second}) {
            ArtObject path;
            path.type = kPathArt;
            path.parent = groupId;
            *id = document.add(std::move(path));
        }
        document.markAllUnchanged();
    }
    Document document;
    ArtId groupId = 0, first = 0, second = 0;
};

TEST_F(GroupOfTwo, ReadingThroughAConstDocumentChangesNothing) {
    const Document& reading = document;
    EXPECT_EQ(reading.art(first).type, kPathArt);
    EXPECT_FALSE(document.mayHaveChanged(first));
    EXPECT_TRUE(document.objectsThatMayHaveChanged().empty());
}

TEST_F(GroupOfTwo, AnObjectHandedOutForWritingMayHaveChanged) {
    document.art(second).style.dashOffset = 1;
    EXPECT_TRUE(document.mayHaveChanged(second));
    EXPECT_FALSE(document.mayHaveChanged(first));
    EXPECT_EQ(document.objectsThatMayHaveChanged(), std::vector<ArtId>{second});
}

TEST_F(GroupOfTwo, AddingAndRemovingMarkTheObjectsAndTheGroup) {
    document.remove(first);
    EXPECT_EQ(document.objectsThatMayHaveChanged(), (std::vector<ArtId>{groupId, first}));
    const ArtId added = document.add(ArtObject{});
    EXPECT_TRUE(document.mayHaveChanged(added));
}

TEST_F(GroupOfTwo, AnObjectFilledInWhereItLiesJoinsItsGroupAndIsMarked) {
    ArtObject& third = document.emplace(groupId);
    third.type = kPathArt;
    const ArtId id = static_cast<ArtId>(document.slotCount() - 1);
    EXPECT_EQ(document.art(groupId).children, (std::vector<ArtId>{first, second, id}));
    EXPECT_EQ(document.art(id).parent, groupId);
    EXPECT_TRUE(document.mayHaveChanged(id));
    const ArtObject& top = document.emplace(simhost::kNoArt);
    EXPECT_EQ(top.parent, simhost::kNoArt);
    EXPECT_EQ(document.documentOrder().back(), static_cast<ArtId>(document.slotCount() - 1));
}

TEST_F(GroupOfTwo, MarkingAllUnchangedForgetsEveryMark) {
    document.art(first).name = "renamed";
    document.remove(second);
    document.markAllUnchanged();
    EXPECT_TRUE(document.objectsThatMayHaveChanged().empty());
}

TEST(Document, MarksReachObjectsPastTheFirstSixtyFour) {
    Document document;
    for (int i = 0; i < 200; ++i) {
        document.add(ArtObject{});
    }
    document.markAllUnchanged();
    document.art(130).name = "far";
    document.art(63).name = "edge";
    EXPECT_EQ(document.objectsThatMayHaveChanged(), (std::vector<ArtId>{63, 130}));
    EXPECT_FALSE(document.mayHaveChanged(64));
    EXPECT_FALSE(document.mayHaveChanged(5000));
}

// What a writer of files and the undo history ask before they record a
// change: bytes the host does not keep never make two styles differ, a bit
// of a kept field always does.
TEST(Document, StylesAreComparedByTheFieldsTheHostKeeps) {
    const AIPathStyle read = simhost::defaultPathStyle();
    AIPathStyle style = read;
    style.reserved2[0] = 0x5A;
    style.reserved135[16] = 0xA5;
    style.dash[3] = 7.0f;  // past dashCount
    EXPECT_TRUE(simhost::sameStyleFields(style, read));

    style = read;
    style.transform.tx = -0.0f;  // equal as a number, not as written
    EXPECT_FALSE(simhost::sameStyleFields(style, read));
    style = read;
    style.dashCount = 1;
    EXPECT_FALSE(simhost::sameStyleFields(style, read));
    style.dash[0] = 3.0f;
    AIPathStyle other = style;
    other.dash[0] = 4.0f;
    EXPECT_FALSE(simhost::sameStyleFields(style, other));
    style = read;
    style.strokeColor[3] = 0.5f;
    EXPECT_FALSE(simhost::sameStyleFields(style, read));
}

}  // namespace
