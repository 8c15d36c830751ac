// Where airbrush's paint colour comes from: the host's foreground colour, the host's
// colour picker, a colour from the system's dialog, or the pixel under the eyedropper.
// Portable: the host's colour services are reached through the FilterRecord.
#pragma once
#include <cstdint>

#include "filters/airbrush/airbrush_params.h"
#include "framework/host/filter_api.h"

// The host's foreground colour (filter start without saved parameters, and Reset). In a
// CMYK image nativeHalf is the foreground in the image's own channels, halved; otherwise
// the host's services convert it, or the RGB halves stand in.
void takeHostColour(AirbrushParams& params, const FilterRecord& record);

// The host's colour picker (only when record.colorServices is set) with the prompt
// `prompt` (at most 249 characters are passed). In a CMYK image the chosen colour goes
// through CMYK and back, so the swatch shows what will be painted.
void chooseWithHost(AirbrushParams& params, const FilterRecord& record, const char* prompt);

// A colour from the system's colour dialog, 8 bits a component: nativeHalf follows by the
// RGB halves, as for any colour that comes without a CMYK value.
void takeChosenRgb(AirbrushParams& params, uint8_t red, uint8_t green, uint8_t blue);

// The eyedropper at image pixel (x, y) of the result buffer: false (nothing changed) for
// a position outside the image or a record without one. In a CMYK image nativeHalf is
// the pixel's, and the colour its conversion to RGB by the host; without that conversion
// the colour stays as it was.
bool pickPixel(AirbrushParams& params, const FilterRecord& record, int x, int y);

// The swatch's colour: one byte of each 16-bit component.
void swatchRgb(const AirbrushParams& params, uint8_t rgb[3]);
