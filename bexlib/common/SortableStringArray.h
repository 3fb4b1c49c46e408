// CSortableStringArray: a string array that sorts itself in place.
#pragma once

#include "../bexdefs.h"
#include <algorithm>

class CSortableStringArray : public CStringArray
{
public:
    // pfnCompare answers like strcmp: below, equal to or above 0. Elements that compare equal
    // may come in either order.
    void Sort(int (*pfnCompare)(const CString&, const CString&))
    {
        CString* pBegin = GetData();
        std::sort(pBegin, pBegin + GetSize(),
                  [pfnCompare](const CString& a, const CString& b) { return pfnCompare(a, b) < 0; });
    }
};
