#pragma once

#include "Platform/Direct3D/PresentTarget.h"

#include <wx/bitmap.h>
#include <wx/panel.h>

// The window the render system draws on: it keeps the last frame the device presented and paints it.
// The device hands over only frames that changed, so an idle preview costs next to nothing.
class RenderPanel : public wxPanel, public PresentTarget
{
public:
    RenderPanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style);

    RenderPanel(const RenderPanel&) = delete;
    RenderPanel& operator=(const RenderPanel&) = delete;

    UINT clientWidth() const override;
    UINT clientHeight() const override;
    void presentFrame(UINT width, UINT height, const D3DCOLOR* pixels) override;

    // The frame on show; null-sized before the first one.
    const wxBitmap& getFrame() const { return m_frame; }

private:
    void OnPaint(wxPaintEvent& event);

    wxBitmap m_frame;

    wxDECLARE_EVENT_TABLE();
};
