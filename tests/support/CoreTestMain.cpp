#include <QCoreApplication>
#include <gmock/gmock.h>

// The acquisition core's tests run as the headless recorder does: with a core application only,
// no display and no window toolkit linked in.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
