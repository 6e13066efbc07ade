#include "Platform/Direct3D/PresentTarget.h"

BOOL GetClientRect(HWND window, RECT* rect)
{
    if (window == nullptr || rect == nullptr) {
        return FALSE;
    }
    rect->left = 0;
    rect->top = 0;
    rect->right = static_cast<LONG>(window->clientWidth());
    rect->bottom = static_cast<LONG>(window->clientHeight());
    return TRUE;
}
