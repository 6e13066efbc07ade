#pragma once

// The one header system code includes for the Direct3D 9 / D3DX 9 stand-in and its Windows calls.

#include "Platform/D3D9Types.h"
#include "Platform/D3DXMath.h"
#include "Platform/D3DXTexture.h"
#include "Platform/ID3DXSprite.h"
#include "Platform/IDirect3D9.h"
#include "Platform/IDirect3DDevice9.h"
#include "Platform/IDirect3DSurface9.h"
#include "Platform/IDirect3DTexture9.h"
#include "Platform/PresentTarget.h"
#include "Platform/TextureFormatTable.h"
#include "Platform/WindowsApi.h"

