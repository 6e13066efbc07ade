#pragma once

// The one header system code includes for the Direct3D 9 / D3DX 9 stand-in and its Windows calls.

#include "Platform/Direct3D/D3D9Types.h"
#include "Platform/Direct3D/D3DXMath.h"
#include "Platform/Direct3D/ID3DXSprite.h"
#include "Platform/Direct3D/IDirect3D9.h"
#include "Platform/Direct3D/IDirect3DDevice9.h"
#include "Platform/Direct3D/IDirect3DSurface9.h"
#include "Platform/Direct3D/IDirect3DTexture9.h"
#include "Platform/Direct3D/PresentTarget.h"
#include "Platform/Image/D3DXTexture.h"
#include "Platform/Image/TextureFormatTable.h"
#include "Platform/System/WindowsApi.h"
