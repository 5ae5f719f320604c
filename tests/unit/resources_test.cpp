#include "tests/unit/player_fixture.h"

namespace {

struct ResourceCase {
    const char* name;
    std::uint16_t id;
    const char* type;
    bool found;
    std::vector<std::uint8_t> expected;
};

class LoadResourceTest : public PlayerTest, public ::testing::WithParamInterface<ResourceCase> {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        fake::addResource(112, "IT", {'I', 'M', 'P', 'M', 1, 2, 3});
        fake::addResource(122, "PNG", {0x89, 'P', 'N', 'G'});
        fake::addResource(130, "IT", {});
    }
};

TEST_P(LoadResourceTest, CopiesTheWholeResourceOrLeavesTheBufferEmpty) {
    const ResourceCase& c = GetParam();
    ByteBuffer buffer{9, 9, 9, 9, 9, 9, 9, 9, 9, 9};  // whatever it held is discarded

    EXPECT_EQ(loadResource(buffer, c.id, c.type), c.found);
    EXPECT_EQ(buffer, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Resources, LoadResourceTest,
    ::testing::Values(ResourceCase{"Module", 112, "IT", true, {'I', 'M', 'P', 'M', 1, 2, 3}},
                      ResourceCase{"Picture", 122, "PNG", true, {0x89, 'P', 'N', 'G'}},
                      ResourceCase{"MissingId", 113, "IT", false, {}},
                      ResourceCase{"WrongType", 122, "IT", false, {}},
                      ResourceCase{"ZeroLength", 130, "IT", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerTest, AModuleThatCannotBeReadLeavesItsSlotWithATitleAndNoBytes) {
    for (int slot = 0; slot < trackCount; ++slot)
        if (slot != 3) fake::addResource(trackTable[slot].resourceId, "IT", moduleBytesFor(slot));
    Player built;
    EXPECT_STREQ(built.tracks[3].title, "4. Circuit Storm");
    EXPECT_TRUE(built.tracks[3].moduleBytes.empty());
    EXPECT_EQ(built.tracks[4].moduleBytes, moduleBytesFor(4));
}

TEST_F(PlayerTest, TheTrackTableHoldsTheNineTitlesAndIdsInOrder) {
    const std::vector<std::pair<std::string, int>> expected = {
        {"1. Glass Orbit", 112},  {"2. Mr Quillop", 114},     {"3. Tin Lantern", 115},
        {"4. Circuit Storm", 116}, {"5. Odd Notion", 117},    {"6. Build & Break", 118},
        {"7. Nebular", 119},       {"8. Grey Tune", 120},     {"9. Bright Tune", 121}};
    for (int slot = 0; slot < trackCount; ++slot) {
        EXPECT_EQ(trackTable[slot].title, expected[slot].first);
        EXPECT_EQ(trackTable[slot].resourceId, expected[slot].second);
    }
}

}  // namespace
