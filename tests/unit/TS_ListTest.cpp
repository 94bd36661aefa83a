// TS_List over the host's handle memory: order of insertion, element lifetime,
// and what happens when the block cannot grow.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "FailingAllocations.hpp"
#include "core/TS_List.hpp"
#include "kit/Host.hpp"

using namespace velmora::core;

namespace {

using velmora::test::FailingAllocations;

std::string Texts(const TS_List<TS_String>& list)
{
    std::string out;
    for (Int32 i = 0; i < list.GetCount(); ++i) {
        const EncodedBytes bytes = list[i].ToBytes(TextEncoding::Utf8);
        out += (i > 0 ? "," : "") + std::string(list[i].IsNull() ? "<null>" : bytes.data);
    }
    return out;
}

TEST(TS_List, AppendsAndInsertsInOrder)
{
    TS_List<short> numbers;
    EXPECT_EQ(numbers.GetCount(), 0);
    numbers.Insert(1, -1);
    numbers.Insert(2, -1);
    numbers.Insert(3);
    numbers.Insert(0, 0);
    numbers.Insert(5, 2);
    numbers.Insert(9, 5); // at the end
    ASSERT_EQ(numbers.GetCount(), 6);
    const short expected[] = {0, 1, 5, 2, 3, 9};
    for (Int32 i = 0; i < 6; ++i)
        EXPECT_EQ(numbers[i], expected[i]) << i;

    TS_List<FTM::GeneralID> types;
    types.Insert(0xFFFFFFFFu);
    types.Insert(7, 0);
    EXPECT_EQ(types[0], 7u);
    EXPECT_EQ(types[1], 0xFFFFFFFFu);
}

TEST(TS_List, OwnsItsStrings)
{
    const long before = kit::LiveAllocations();
    {
        TS_List<TS_String> lines;
        lines.Insert(TS_String("b"));
        lines.Insert(TS_String("c"), -1);
        lines.Insert(TS_String("a"), 0);
        lines.Insert(TS_String(), 1);
        TS_String kept("kept");
        lines.Insert(kept); // the caller's string is copied, not taken
        EXPECT_EQ(Texts(lines), "a,<null>,b,c,kept");
        EXPECT_EQ(std::string(kept.ToBytes(TextEncoding::Utf8).data), "kept");

        lines[1] = "changed";
        EXPECT_EQ(Texts(lines), "a,changed,b,c,kept");

        lines.RemoveAll();
        EXPECT_EQ(lines.GetCount(), 0);
        EXPECT_TRUE(lines.HasBlock());
        lines.Insert(TS_String("again"));
        EXPECT_EQ(Texts(lines), "again");
    }
    EXPECT_EQ(kit::LiveAllocations(), before);
}

TEST(TS_List, LosingTheBlockReleasesTheElements)
{
    const long before = kit::LiveAllocations();
    {
        TS_List<TS_String> lines;
        lines.Insert(TS_String("one"));
        lines.Insert(TS_String("two"));
        TS_String three("three");
        {
            FailingAllocations noMemory(0);
            lines.Insert(std::move(three)); // dropped with the list's elements
        }
        EXPECT_FALSE(lines.HasBlock());
        EXPECT_EQ(lines.GetCount(), 0);
        EXPECT_EQ(kit::LiveAllocations(), before);

        // A list without block takes nothing more.
        lines.Insert(TS_String("four"));
        EXPECT_EQ(lines.GetCount(), 0);
        lines.RemoveAll();
        EXPECT_EQ(lines.GetCount(), 0);
        EXPECT_EQ(kit::LiveAllocations(), before);
    }
    EXPECT_EQ(kit::LiveAllocations(), before);

    {
        FailingAllocations noMemory(0);
        TS_List<short> none;
        EXPECT_FALSE(none.HasBlock());
        none.Insert(1);
        EXPECT_EQ(none.GetCount(), 0);
    }
    EXPECT_EQ(kit::LiveAllocations(), before);
}

} // namespace
