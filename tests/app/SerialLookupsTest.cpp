#include "app/core/SerialLookups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using app::SerialLookups;

namespace {

// Records lookups and how deeply they ran inside each other; `during` plays
// the messages that arrive while the first lookup lets them run.
struct Recorder {
    std::vector<std::string> calls;
    int depth = 0, maxDepth = 0;
    std::function<void()> during;

    std::function<void(const std::string&)> lookUp()
    {
        return [this](const std::string& number) {
            maxDepth = std::max(maxDepth, ++depth);
            calls.push_back(number);
            if (calls.size() == 1 && during)
                during();
            --depth;
        };
    }
};

TEST(SerialLookups, AFloodOfHandOversDuringALookupEndsInOneLookupOfTheNewest)
{
    Recorder r;
    SerialLookups serial(r.lookUp());
    bool passRan = false;
    r.during = [&] {
        for (int i = 0; i < 10000; ++i)
            serial.handOver("1912121212" + std::to_string(i % 100));
        passRan = serial.run([] {}); // a tracking tick meanwhile
    };
    serial.handOver("191212121212");
    EXPECT_EQ(r.maxDepth, 1);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"191212121212", "191212121299"}));
    EXPECT_FALSE(passRan) << "a pass never runs inside a lookup";
    EXPECT_FALSE(serial.busy());
}

TEST(SerialLookups, NumbersHandedOverDuringAPassAreLookedUpAfterIt)
{
    Recorder r;
    SerialLookups serial(r.lookUp());
    std::vector<std::string> order;
    EXPECT_TRUE(serial.run([&] {
        serial.handOver("193405067890");
        serial.handOver("191212121212");
        order = r.calls; // nothing looked up inside the pass
    }));
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(r.calls, std::vector<std::string>{"191212121212"});
    EXPECT_TRUE(serial.run([] {})) << "free again";
    EXPECT_EQ(r.calls.size(), 1u) << "a number is looked up once";
}

} // namespace
