// The class server's limits and its choice of address, with a clock the test moves.

#include "classaddress.h"
#include "classlistener.h"
#include "ratelimit.h"

#include <gtest/gtest.h>

TEST(RateLimit, ABurstThenTheRateWithEachKeyOnItsOwn)
{
    qint64 now = 0;
    RateLimit limit({20, 40}, [&] { return now; });
    struct Step {
        qint64 at;
        int requests;
        int allowed;
    };
    const Step steps[] = {
        {0, 50, 40},      // the burst, then nothing
        {100, 5, 2},      // 100 ms bring two back
        {1100, 30, 20},   // a second brings twenty
        {60000, 45, 40},  // a long rest brings the burst, no more
    };
    for (const Step &step : steps) {
        now = step.at;
        int allowed = 0;
        for (int i = 0; i < step.requests; ++i)
            allowed += limit.take(QStringLiteral("flood")) ? 1 : 0;
        EXPECT_EQ(allowed, step.allowed) << "at " << step.at;
    }
    EXPECT_TRUE(limit.take(QStringLiteral("quiet")));
    now += 10000;
    limit.forgetRested();
    EXPECT_EQ(limit.keys(), 0);
}

TEST(ClassListener, TheAnnouncedLengthOfABody)
{
    const struct {
        QByteArray head;
        qint64 length;
    } cases[] = {
        {"POST /api/act HTTP/1.1\r\nHost: x\r\nContent-Length: 120\r\n\r\n{", 120},
        {"POST /api/act HTTP/1.1\r\ncontent-length:99999\r\n\r\n", 99999},
        {"POST /api/act HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n", -2},
        {"GET / HTTP/1.1\r\nHost: x\r\n\r\n", -1},
        {"POST / HTTP/1.1\r\nContent-Length: 12", -1},  // the rest of the line still to come
    };
    for (const auto &c : cases)
        EXPECT_EQ(AnnouncedBodyLength(c.head), c.length) << c.head.constData();
}

TEST(StudentAddress, TheFirstIPv4AddressOfAnInterfaceThatIsUpRunningAndNotLoopback)
{
    const QHostAddress lan(QStringLiteral("192.168.1.20"));
    const QHostAddress wifi(QStringLiteral("10.0.0.7"));
    const QHostAddress v6(QStringLiteral("fe80::1"));
    const QHostAddress linkLocal(QStringLiteral("169.254.3.4"));
    const InterfaceState loopback{true, true, true, {QHostAddress(QStringLiteral("127.0.0.1"))}};
    const InterfaceState down{false, false, false, {lan}};
    const InterfaceState unplugged{true, false, false, {lan}};
    const struct {
        QList<InterfaceState> interfaces;
        QHostAddress chosen;
    } cases[] = {
        {{loopback, {true, true, false, {v6, wifi}}}, wifi},
        {{down, unplugged, {true, true, false, {wifi}}}, wifi},
        {{{true, true, false, {linkLocal}}, {true, true, false, {lan}}}, lan},
        {{loopback, down, {true, true, false, {v6}}}, QHostAddress()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StudentAddress(c.interfaces), c.chosen) << qPrintable(c.chosen.toString());
}
