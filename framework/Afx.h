// The window framework's stand-in: what the plug-in uses of it.
#pragma once

#include "framework/AfxApp.h"
#include "framework/AfxArray.h"
#include "framework/AfxString.h"
