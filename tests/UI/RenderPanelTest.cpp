#include "UI/GuiTest.h"

#include "Platform/Direct3D/D3D9Types.h"
#include "Support/ArchiveBuilder.h"
#include "UI/MainWindow.h"
#include "UI/RenderPanel.h"
#include "UI/WindowIds.h"

#include <wx/frame.h>
#include <wx/image.h>
#include <wx/splitter.h>

#include <sys/stat.h>

class RenderPanelTest : public GuiTest
{
};

TEST_F(RenderPanelTest, KeepsThePresentedFrameAndReportsItsClientSize)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "panel");
    RenderPanel* panel = new RenderPanel(frame, ID_RENDER_PANEL, wxDefaultPosition, wxSize(64, 48), 0);
    frame->Show();
    pump();
    EXPECT_EQ(panel->GetBackgroundStyle(), wxBG_STYLE_PAINT);
    EXPECT_EQ(panel->clientWidth(), static_cast<UINT>(panel->GetClientSize().GetWidth()));
    EXPECT_EQ(panel->clientHeight(), static_cast<UINT>(panel->GetClientSize().GetHeight()));
    EXPECT_FALSE(panel->getFrame().IsOk());

    const D3DCOLOR pixels[] = {0xFF102030, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000};
    panel->presentFrame(3, 2, pixels);
    ASSERT_TRUE(panel->getFrame().IsOk());
    const wxImage image = panel->getFrame().ConvertToImage();
    ASSERT_EQ(image.GetSize(), wxSize(3, 2));
    EXPECT_EQ(image.GetRed(0, 0), 0x10);
    EXPECT_EQ(image.GetGreen(0, 0), 0x20);
    EXPECT_EQ(image.GetBlue(0, 0), 0x30);
    EXPECT_EQ(image.GetRed(1, 0), 0xFF);
    EXPECT_EQ(image.GetGreen(2, 0), 0xFF);
    EXPECT_EQ(image.GetBlue(2, 0), 0x00);
    EXPECT_EQ(image.GetBlue(0, 1), 0xFF);
    EXPECT_EQ(image.GetRed(0, 1), 0x00);
    EXPECT_EQ(image.GetGreen(1, 1), 0xFF);
    EXPECT_EQ(image.GetRed(2, 1), 0x00);
    pump();
    frame->Destroy();
    pump();
}

TEST_F(RenderPanelTest, ShowsTheSelectedTextureOnTheClearColour)
{
    ArchiveBuilder builder;
    builder.addTexture("plain", 64, 32, D3DFMT_A8B8G8R8, 1);
    ASSERT_TRUE(builder.writeTo("a.wtd"));
    mkdir("config", 0777);
    writeFile("config/varnel_ar.arf", "a.wtd\n");
    MainWindow* window = createMainWindow();
    pump(200);
    RenderPanel* panel = wxDynamicCast(window->FindWindow(ID_RENDER_PANEL), RenderPanel);
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->getFrame().IsOk());
    const wxImage image = panel->getFrame().ConvertToImage();
    EXPECT_EQ(image.GetSize(), panel->GetClientSize());
    // The clear colour outside the texture, the texture's own pixels from (10, 10) on.
    EXPECT_EQ(image.GetRed(2, 2), 0x59);
    EXPECT_EQ(image.GetGreen(2, 2), 0x87);
    EXPECT_EQ(image.GetBlue(2, 2), 0xB2);
    const bool drawn =
        image.GetRed(20, 15) != 0x59 || image.GetGreen(20, 15) != 0x87 || image.GetBlue(20, 15) != 0xB2;
    EXPECT_TRUE(drawn);
}

TEST_F(RenderPanelTest, AFrameAfterThePanelHasGrownCoversItWithTheTextureUnscaled)
{
    ArchiveBuilder builder;
    builder.addTexture("plain", 64, 32, D3DFMT_A8B8G8R8, 1);
    ASSERT_TRUE(builder.writeTo("a.wtd"));
    mkdir("config", 0777);
    writeFile("config/varnel_ar.arf", "a.wtd\n");
    MainWindow* window = createMainWindow();
    RenderPanel* panel = wxDynamicCast(window->FindWindow(ID_RENDER_PANEL), RenderPanel);
    ASSERT_NE(panel, nullptr);
    pump(200);
    ASSERT_TRUE(panel->getFrame().IsOk());
    const wxImage before = panel->getFrame().ConvertToImage();

    window->SetClientSize(window->GetClientSize() + wxSize(200, 150));
    wxSplitterWindow* viewer = wxDynamicCast(window->FindWindow(ID_SPLITTER_VIEWER_AREA), wxSplitterWindow);
    ASSERT_NE(viewer, nullptr);
    viewer->SetSashPosition(viewer->GetSashPosition() + 40, true);
    pump(200);
    ASSERT_GT(panel->GetClientSize().GetWidth(), before.GetWidth());
    ASSERT_GT(panel->GetClientSize().GetHeight(), before.GetHeight());
    const wxImage after = panel->getFrame().ConvertToImage();
    EXPECT_EQ(after.GetSize(), panel->GetClientSize());
    // The clear colour reaches the new corner, and the texture keeps its texels where they were.
    const wxPoint corner(after.GetWidth() - 1, after.GetHeight() - 1);
    EXPECT_EQ(after.GetRed(corner.x, corner.y), 0x59);
    EXPECT_EQ(after.GetGreen(corner.x, corner.y), 0x87);
    EXPECT_EQ(after.GetBlue(corner.x, corner.y), 0xB2);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_TRUE(after.GetRed(x, y) == before.GetRed(x, y) &&
                        after.GetGreen(x, y) == before.GetGreen(x, y) &&
                        after.GetBlue(x, y) == before.GetBlue(x, y))
                << "at " << x << ", " << y;
}
