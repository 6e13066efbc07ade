#pragma once

#include "Platform/Direct3D/D3D9Types.h"

// Failures to stage in the stand-in, so that the callers' handling of a failing graphics system can be
// exercised. The stand-in asks the installed plan once at each point where a real system may fail; true
// fails that one call. No plan is installed unless one is given: the stand-in then never fails there.
class FaultPlan
{
public:
    virtual ~FaultPlan() = default;

    // Direct3DCreate9 answers null.
    virtual bool failsDirect3DCreate9() = 0;
    // IDirect3D9::GetAdapterDisplayMode answers D3DERR_NOTAVAILABLE.
    virtual bool failsGetAdapterDisplayMode() = 0;
    // IDirect3D9::CreateDevice answers D3DERR_NOTAVAILABLE.
    virtual bool failsCreateDevice() = 0;
    // D3DXCreateSprite answers E_OUTOFMEMORY.
    virtual bool failsCreateSprite() = 0;
    // A texture of this format is not created (D3DXCreateTexture, IDirect3DDevice9::CreateTexture,
    // D3DXCreateTextureFromFileW): D3DERR_OUTOFVIDEOMEMORY.
    virtual bool failsTextureCreation(D3DFORMAT format) = 0;
    // D3DXSaveTextureToFileW answers E_FAIL and leaves the file alone.
    virtual bool failsSaveTexture() = 0;
    // IDirect3DDevice9::TestCooperativeLevel finds the device lost.
    virtual bool losesDevice() = 0;

    // The plan the stand-in asks from now on; null for none. The plan stays the caller's.
    static void install(FaultPlan* plan) { s_installed = plan; }
    // The installed plan, or null.
    static FaultPlan* installed() { return s_installed; }

private:
    inline static FaultPlan* s_installed = nullptr;
};
