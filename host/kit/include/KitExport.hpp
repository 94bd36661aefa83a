// Symbol visibility of the host kit library.
#pragma once

#if defined(_WIN32)
#if defined(VELMORA_KIT_BUILD)
#define KIT_API __declspec(dllexport)
#else
#define KIT_API __declspec(dllimport)
#endif
#else
#define KIT_API __attribute__((visibility("default")))
#endif
