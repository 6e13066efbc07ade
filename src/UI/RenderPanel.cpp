#include "UI/RenderPanel.h"

#include <wx/dcbuffer.h>
#include <wx/image.h>

#include <algorithm>

wxBEGIN_EVENT_TABLE(RenderPanel, wxPanel)
    EVT_PAINT(RenderPanel::OnPaint)
wxEND_EVENT_TABLE()

RenderPanel::RenderPanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
{
    // The frame covers the panel: erasing the background first would only make it flicker.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Create(parent, id, pos, size, style);
}

UINT RenderPanel::clientWidth() const
{
    return static_cast<UINT>(std::max(0, GetClientSize().GetWidth()));
}

UINT RenderPanel::clientHeight() const
{
    return static_cast<UINT>(std::max(0, GetClientSize().GetHeight()));
}

void RenderPanel::presentFrame(UINT width, UINT height, const D3DCOLOR* pixels)
{
    if (width == 0 || height == 0 || pixels == nullptr)
        return;
    wxImage image(static_cast<int>(width), static_cast<int>(height), false);
    unsigned char* rgb = image.GetData();
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; ++i) {
        rgb[i * 3] = static_cast<unsigned char>(pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<unsigned char>(pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<unsigned char>(pixels[i]);
    }
    m_frame = wxBitmap(image);
    Refresh(false);
}

void RenderPanel::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    const wxSize client = GetClientSize();
    int covered = 0;
    int coveredHeight = 0;
    if (m_frame.IsOk()) {
        dc.DrawBitmap(m_frame, 0, 0, false);
        covered = m_frame.GetWidth();
        coveredHeight = m_frame.GetHeight();
    }
    // Until the next frame arrives after a resize, the part the last frame does not cover is cleared.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(GetBackgroundColour()));
    if (covered < client.GetWidth())
        dc.DrawRectangle(covered, 0, client.GetWidth() - covered, client.GetHeight());
    if (coveredHeight < client.GetHeight())
        dc.DrawRectangle(0, coveredHeight, std::min(covered, client.GetWidth()),
                         client.GetHeight() - coveredHeight);
}
