// The framework DLL: everything an application or extension library needs, in one include.
#pragma once

#include "fxdefs.h"
#include "fxstring.h"
#include "fxobject.h"
#include "fxcoll.h"
#include "fxexcept.h"
#include "fxfile.h"
#include "fxapp.h"
#include "fxgdi.h"
#include "fxprint.h"
#include "fxwnd.h"
#include "fxdlg.h"
#include "fxctrl.h"
#include "fxcomctl.h"
