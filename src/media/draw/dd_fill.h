// Fills in both drawing modes: palette-number colours, rectangles, the Direct3D fill
// batch, single pixels, circle outlines and rectangle frames.
#pragma once

#include <cstdint>

#include "media/draw/dd_surface.h"
#include "platform/video/device.h"

// The pixel value of a palette number in the current mode (ARGB in Direct3D mode).
uint32_t PalNumToRGB(uint32_t palNum);

platform::video::HResult DDFillRect(DDSURFACEDATA* sd, int x, int y, int width, int height,
                                    uint32_t palNum);
platform::video::HResult DDFillSurface(DDSURFACEDATA* sd, uint32_t palNum);

// colour is ARGB (16- and 32-bit Direct3D).
platform::video::HResult D3DFillRect(DDSURFACEDATA* sd, int x, int y, int width, int height,
                                     uint32_t colour);
platform::video::HResult D3DFillSurface(DDSURFACEDATA* sd, uint32_t colour);

// Fills of render targets between these two are drawn together at the end.
void D3DFillBatchBegin();
void D3DFillBatchEnd();

void DDSetPixel(DDSURFACEDATA* sd, int x, int y, uint32_t palNum);
void DDCircle(DDSURFACEDATA* sd, int cx, int cy, int r, uint32_t palNum);
// Four fills of thickness t: top, bottom, left, right.
void DDFillFrame(DDSURFACEDATA* sd, int x, int y, int w, int h, int t, uint32_t palNum);

// The colour a render target shows where nothing was drawn: the transparent colour on
// BackBuffer, the textures' clear value (transparent black) elsewhere.
uint32_t D3DClearValue(const DDSURFACEDATA* sd);
// The device's Clear of a rectangle of a render target (no blending).
void D3DClearRect(DDSURFACEDATA* sd, int x, int y, int width, int height, uint32_t colour);
// A rectangle of what transparent copies leave out, in either mode: the device's clear
// value in Direct3D mode, the device's colour key in DirectDraw mode.
void DDClearRectToTransparent(DDSURFACEDATA* sd, int x, int y, int width, int height);

// Closes the fill batch and drops what it holds (tests).
void DDResetFillBatchForTest();
