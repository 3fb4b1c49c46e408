// BexLib32: the shared utility library of the Tur engineering suite.
// One include and one import library (BexLib32.dll.a) give an application all of it.
#pragma once

#include "bexdefs.h"
#include "frame/bexlib32.h"
#include "frame/kelmdbg.h"
#include "text/strres.h"
#include "text/lstr.h"
#include "text/Tokenizer.h"
#include "text/idtable.h"
#include "text/fileline.h"
#include "files/Crc.h"
#include "files/RecFile.h"
#include "molecule/Molecule.h"
#include "ipc/AckMsg.h"
#include "ipc/DataExchange.h"
#include "ipc/WndUtil.h"
#include "cpu/Cpu.h"
#include "print/PageStatus.h"
#include "print/PagePrinter.h"
#include "version/VersionInfo.h"
#include "archive/Archive.h"
