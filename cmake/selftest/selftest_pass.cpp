// Passing GoogleTest/GoogleMock program: the harness must report it as passed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

class Greeter {
  public:
    virtual ~Greeter() = default;
    virtual std::string Greet(const std::string& name) = 0;
};

class MockGreeter : public Greeter {
  public:
    MOCK_METHOD(std::string, Greet, (const std::string& name), (override));
};

TEST(Selftest, Passes) {
    EXPECT_EQ(2 + 2, 4);
}

TEST(Selftest, MockIsCalled) {
    MockGreeter greeter;
    EXPECT_CALL(greeter, Greet("Quorel")).WillOnce(testing::Return("hello Quorel"));
    Greeter& g = greeter;
    EXPECT_EQ(g.Greet("Quorel"), "hello Quorel");
}

}  // namespace
