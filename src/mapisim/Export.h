// Marks the functions that libmapi32.so exports; everything else stays
// hidden (the build also applies a version script listing exactly these).
#pragma once

#define MAPISIM_EXPORT extern "C" __attribute__((visibility("default")))
