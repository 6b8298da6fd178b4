#include "core/app_paths.h"
#include "effects/effect_catalogue.h"
#include "forced_draws.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace pictavo {
namespace {

using test::ForcedDraws;

const std::vector<std::string> kNamesById = {
    "Alpha", "Accordion", "Blinds", "Circle",  "Clock",     "Cube fly", "Diagonal sweep",
    "Door",  "Flip",      "Fly",    "Polygon", "Rotate in", "Shutter",  "Spin",
    "Sweep", "Twist",     "Wipe",   "Zoom",    "random"};

TEST(TransitionNames, ListByIdEndsWithLowerCaseRandom)
{
    for (int type = 0; type < kTransitionTypeCount; ++type)
        EXPECT_EQ(transitionName(type), kNamesById[type]) << type;
    EXPECT_EQ(transitionName(kTransitionRandom), "random");
}

TEST(TransitionNames, PickingListStartsWithCapitalisedRandom)
{
    EXPECT_EQ(transitionPickName(0), "Random");
    // The same transition sits at position t by id and t + 1 for picking.
    for (int type = 0; type < kConcreteTransitionCount; ++type) {
        EXPECT_EQ(transitionPickName(type + 1), transitionName(type)) << type;
        EXPECT_EQ(pickPositionOfTransition(type), type + 1);
        EXPECT_EQ(transitionTypeAtPickPosition(type + 1), type);
    }
    EXPECT_EQ(pickPositionOfTransition(kTransitionRandom), 0);
    EXPECT_EQ(transitionTypeAtPickPosition(0), kTransitionRandom);
}

TEST(TransitionNames, ValuesOutsideTheListsGiveNothing)
{
    for (int bad : {-1, 19, 1000}) {
        EXPECT_EQ(transitionName(bad), "") << bad;
        EXPECT_EQ(transitionPickName(bad), "") << bad;
        EXPECT_EQ(transitionKey(bad), "") << bad;
        EXPECT_EQ(transitionCoverFile(bad), "") << bad;
        EXPECT_EQ(coverPath(bad), "") << bad;
        EXPECT_EQ(transitionTypeAtPickPosition(bad), -1) << bad;
        EXPECT_EQ(pickPositionOfTransition(bad), -1) << bad;
    }
}

TEST(TransitionKeys, EveryKeyLooksUpItsOwnTypeExactly)
{
    std::set<std::string> keys;
    for (int type = 0; type < kTransitionTypeCount; ++type) {
        const std::string key = transitionKey(type);
        EXPECT_EQ(key.rfind("TRANSITION_EFFECT_", 0), 0u) << key;
        EXPECT_EQ(transitionTypeForKey(key), type) << key;
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), 19u);
    EXPECT_EQ(transitionKey(kTransitionBlinds), "TRANSITION_EFFECT_BLIND");
    EXPECT_EQ(transitionKey(kTransitionRandom), "TRANSITION_EFFECT_RANDOM");
    for (const char* unknown : {"", "transition_effect_door", "TRANSITION_EFFECT_DOOR ",
                                "TRANSITION_EFFECT_BLINDS", "TRANSITION_EFFECT"})
        EXPECT_EQ(transitionTypeForKey(unknown), -1) << unknown;
}

TEST(TransitionCovers, PathsInPickingOrderInsideEffectCover)
{
    EXPECT_EQ(transitionCoverFile(0), "random.jpg");
    EXPECT_EQ(transitionCoverFile(1), "alpha.jpg");
    EXPECT_EQ(transitionCoverFile(pickPositionOfTransition(kTransitionDiagonalSweep)),
              "diagonalsweep.jpg");
    EXPECT_EQ(transitionCoverFile(pickPositionOfTransition(kTransitionRotateIn)), "rotatein.jpg");
    EXPECT_EQ(transitionCoverFile(18), "zoom.jpg");
    const std::string folder = joinPath(applicationFolder(), "EffectCover");
    for (int position = 0; position < kTransitionTypeCount; ++position)
        EXPECT_EQ(coverPath(position), joinPath(folder, transitionCoverFile(position)));
}

TEST(ImageEffectNames, IdsAndModes)
{
    EXPECT_EQ(imageEffectName(0), "pan from left to right");
    EXPECT_EQ(imageEffectName(7), "pan from down to up");
    EXPECT_EQ(imageEffectName(8), "zoom center in");
    EXPECT_EQ(imageEffectName(13), "zoom center out");
    EXPECT_EQ(imageEffectName(17), "zoom right-down out");
    EXPECT_EQ(imageEffectName(19), "zoom out and rotate");
    EXPECT_EQ(imageEffectName(kImageEffectNone), "none");
    EXPECT_EQ(imageEffectName(kImageEffectRandom), "random");
    EXPECT_EQ(imageEffectName(-1), "");
    EXPECT_EQ(imageEffectName(22), "");
    std::set<std::string> names;
    for (int id = 0; id < kImageEffectTypeCount; ++id)
        names.insert(imageEffectName(id));
    EXPECT_EQ(names.size(), 22u);

    EXPECT_EQ(imageEffectModeName(0), "None");
    EXPECT_EQ(imageEffectModeName(1), "Pan");
    EXPECT_EQ(imageEffectModeName(2), "Pan/Zoom");
    EXPECT_EQ(imageEffectModeName(3), "Pan/Zoom/Rotate");
    EXPECT_EQ(imageEffectModeName(4), "");
    EXPECT_EQ(imageEffectModeName(-1), "");
}

TEST(RandomDraws, TransitionTypeIsOneDivisionWithTheTopQuotientFolded)
{
    const struct {
        int draw;
        TransitionType type;
    } cases[] = {{0, 0},      {1819, 0},   {1820, 1},   {16379, 8}, {30939, 16},
                 {30940, 17}, {32759, 17}, {32760, 17}, {32767, 17}};
    for (const auto& c : cases) {
        ForcedDraws draws({c.draw});
        EXPECT_EQ(randomTransitionType(), c.type) << c.draw;
        EXPECT_TRUE(ForcedDraws::allTaken()) << c.draw;
    }
}

TEST(RandomDraws, MotionForModeIsOneDivisionWithTheTopQuotientFolded)
{
    const struct {
        ImageEffectMode mode;
        int draw;
        ImageEffectType motion;
    } cases[] = {
        {kImageEffectModePan, 0, 0},
        {kImageEffectModePan, 4094, 0},
        {kImageEffectModePan, 4095, 1},
        {kImageEffectModePan, 32759, 7},
        {kImageEffectModePan, 32760, 7},
        {kImageEffectModePan, 32767, 7},
        {kImageEffectModePanZoom, 0, 0},
        {kImageEffectModePanZoom, 30940, 17},
        {kImageEffectModePanZoom, 32767, 17},
        {kImageEffectModePanZoomRotate, 1637, 0},
        {kImageEffectModePanZoomRotate, 1638, 1},
        {kImageEffectModePanZoomRotate, 31122, 19},
        {kImageEffectModePanZoomRotate, 32767, 19},
    };
    for (const auto& c : cases) {
        ForcedDraws draws({c.draw});
        EXPECT_EQ(imageEffectForMode(c.mode), c.motion) << c.mode << " " << c.draw;
        EXPECT_TRUE(ForcedDraws::allTaken()) << c.mode << " " << c.draw;
    }
}

TEST(RandomDraws, ModeNoneAndUnknownModesTakeNoDraw)
{
    ForcedDraws draws({});
    EXPECT_EQ(imageEffectForMode(kImageEffectModeNone), kImageEffectNone);
    // Values that no user choice produces are passed through unchanged.
    EXPECT_EQ(imageEffectForMode(5), 5);
    EXPECT_EQ(imageEffectForMode(-1), -1);
    EXPECT_TRUE(ForcedDraws::allTaken());
}

TEST(RandomDraws, EveryModeStaysInsideItsRangeOverManyDraws)
{
    seedRandom(99);
    const int last[] = {kImageEffectNone, 7, 17, 19};
    for (int mode = 1; mode < kImageEffectModeCount; ++mode) {
        std::set<int> seen;
        for (int i = 0; i < 2000; ++i)
            seen.insert(imageEffectForMode(mode));
        EXPECT_EQ(*seen.begin(), 0) << mode;
        EXPECT_EQ(*seen.rbegin(), last[mode]) << mode;
        EXPECT_EQ(static_cast<int>(seen.size()), last[mode] + 1) << mode;
    }
    std::set<int> types;
    for (int i = 0; i < 2000; ++i)
        types.insert(randomTransitionType());
    EXPECT_EQ(types.size(), 18u);
    EXPECT_EQ(*types.rbegin(), kTransitionZoom);
}

} // namespace
} // namespace pictavo
