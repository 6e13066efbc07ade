#include "Common/MessageLog/MessageLog.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

TEST(MessageLog, StoresAndDeliversPrefixedLine)
{
    MessageLog::getInstance()->log(LOG_INFORMATION, "Render system started", ".\\RenderSystem\\RenderSystem", 17,
                                   "RenderSystem::RenderSystem");
    EXPECT_LOGGED(LOG_INFORMATION, "Render system started");
    EXPECT_LOGGED_LINE(LOG_INFORMATION, "RenderSystem::RenderSystem(17) - Render system started");
}
