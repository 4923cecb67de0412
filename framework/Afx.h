// The window framework's stand-in: what the plug-in uses of it.
#pragma once

#include "framework/AfxApp.h"
#include "framework/AfxArray.h"
#include "framework/AfxCtrls.h"
#include "framework/AfxDialog.h"
#include "framework/AfxGdi.h"
#include "framework/AfxString.h"
#include "framework/AfxTypes.h"
#include "framework/AfxWnd.h"
