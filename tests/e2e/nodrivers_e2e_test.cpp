// Run by nodrivers_e2e.sh in a Wine prefix whose registry lists no ODBC drivers: the driver manager
// cannot be bound, so Marvitelkon.exe must end by itself without showing any window, and its exit
// steps must still remove backup_mysql.bat.
#include "tests/e2e/e2e_driver.h"

#include "db/odbc_api.h"

#include <gtest/gtest.h>

TEST(NoDriversE2e, ThisPrefixHasNoUsableDriverManager)
{
    // Otherwise the test below would prove nothing about the first start-up step.
    EXPECT_EQ(LoadOdbcApi(), 0);
    UnloadOdbcApi();
}

TEST(NoDriversE2e, TheProgramEndsSilentlyAndStillRemovesTheBatchFile)
{
    e2e::StartDirectory start({{"Marvitelkon.ini", "\x13\x37 scrambled document"},
                               {"backup_mysql.bat", "mysqldump --user=root adatok > adatok.sql\r\n"}});
    e2e::Program launcher;
    ASSERT_TRUE(launcher.Start(e2e::ProgramPath(), start.Path()));
    // Watch the whole run: a message box would stop the program until answered, so an end within
    // the time-out with no window seen on the way means nothing was shown.
    std::string seen;
    bool ended = e2e::WaitUntil([&] {
        if (seen.empty() && !launcher.VisibleWindows().empty()) seen = e2e::DescribeWindows(launcher);
        return !launcher.Running();
    });
    EXPECT_TRUE(seen.empty()) << "windows shown: " << seen;
    ASSERT_TRUE(ended || launcher.ExpectExit(0, "the program to end by itself"));
    EXPECT_FALSE(start.Exists("backup_mysql.bat"));
    EXPECT_TRUE(start.Exists("Marvitelkon.ini"));
}
