#include "PageStatus.h"
#include "../text/Tokenizer.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

IMPLEMENT_DYNAMIC(CPageStatus, CObject)

CPageStatus::CPageStatus()
    : m_nIndent(0), m_bItalic(0), m_bUnderline(0), m_bBold(0), m_dwFilePosition(0),
      m_nTabCount(0), m_pnTabStops(NULL)
{
}

CPageStatus::CPageStatus(const CPageStatus& src) : m_nTabCount(0), m_pnTabStops(NULL)
{
    *this = src;
}

CPageStatus::~CPageStatus()
{
    delete[] m_pnTabStops;
}

void CPageStatus::operator=(const CPageStatus& src)
{
    if (this == &src)
        return;
    // The new array comes first: if it cannot be had, this status is left as it was.
    int* pnTabStops = NULL;
    if (src.m_nTabCount != 0) {
        pnTabStops = new int[src.m_nTabCount];
        memcpy(pnTabStops, src.m_pnTabStops, src.m_nTabCount * sizeof(int));
    }
    m_nIndent = src.m_nIndent;
    m_bItalic = src.m_bItalic;
    m_bUnderline = src.m_bUnderline;
    m_bBold = src.m_bBold;
    m_dwFilePosition = src.m_dwFilePosition;
    delete[] m_pnTabStops;
    m_pnTabStops = pnTabStops;
    m_nTabCount = src.m_nTabCount;
}

void CPageStatus::SetNormal()
{
    m_bItalic = 0;
    m_bUnderline = 0;
    m_bBold = 0;
    m_nIndent = 0;
}

// Huge widths in a text must not wrap round into stops left of the previous ones.
static int SaturatedStop(LONGLONG llStop)
{
    if (llStop > INT_MAX)
        return INT_MAX;
    if (llStop < INT_MIN)
        return INT_MIN;
    return (int)llStop;
}

void CPageStatus::SetTabs(CString strList, int nUnit)
{
    int anStops[maxTabStops];
    int nCount = 0;
    CTokenizer tok;
    int bFound;
    for (CString strField = tok.FirstToken(strList, ",", &bFound); bFound; strField = tok.NextToken(",", &bFound)) {
        if (nCount == maxTabStops)
            continue;
        LONGLONG llStop = (LONGLONG)atoi(strField) * nUnit + nUnit / 2;
        if (nCount > 0)
            llStop += anStops[nCount - 1];
        anStops[nCount++] = SaturatedStop(llStop);
    }

    int* pnTabStops = NULL;
    if (nCount != 0) {
        pnTabStops = new int[nCount];
        memcpy(pnTabStops, anStops, nCount * sizeof(int));
    }
    delete[] m_pnTabStops;
    m_pnTabStops = pnTabStops;
    m_nTabCount = nCount;
}
