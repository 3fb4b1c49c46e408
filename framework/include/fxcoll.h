// Growable arrays: CArray<TYPE, ARG_TYPE> and the usual instances for strings and DWORDs.
// Elements are moved with their own move constructor, so a class that owns a pointer
// survives every reallocation, insertion and removal.
#pragma once

#include "fxobject.h"
#include "fxstring.h"
#include <new>
#include <utility>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject
{
public:
    CArray() : m_pData(NULL), m_nSize(0), m_nMaxSize(0), m_nGrowBy(-1) {}
    CArray(const CArray& src) : CArray() { Copy(src); }
    CArray& operator=(const CArray& src) { if (this != &src) Copy(src); return *this; }
    ~CArray() { RemoveAll(); ::operator delete(m_pData); }

    // Attributes
    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);

    // Element access; indexes outside 0..GetSize()-1 are the caller's fault and are asserted.
    TYPE& GetAt(INT_PTR nIndex) { FX_ASSERT(nIndex >= 0 && nIndex < m_nSize); return m_pData[nIndex]; }
    const TYPE& GetAt(INT_PTR nIndex) const { FX_ASSERT(nIndex >= 0 && nIndex < m_nSize); return m_pData[nIndex]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { GetAt(nIndex) = newElement; }
    TYPE& ElementAt(INT_PTR nIndex) { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return GetAt(nIndex); }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE* GetData() { return m_pData; }
    const TYPE* GetData() const { return m_pData; }

    // Operations
    INT_PTR Add(ARG_TYPE newElement) { INT_PTR n = m_nSize; SetAtGrow(n, newElement); return n; }
    INT_PTR Append(const CArray& src);
    void Copy(const CArray& src);
    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement);
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1);
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1);
    void RemoveAll() { SetSize(0); }
    void FreeExtra() { Reallocate(m_nSize); }

private:
    void Reallocate(INT_PTR nCapacity);

    TYPE* m_pData;
    INT_PTR m_nSize;
    INT_PTR m_nMaxSize;
    INT_PTR m_nGrowBy;
};

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Reallocate(INT_PTR nCapacity)
{
    TYPE* pNew = nCapacity ? static_cast<TYPE*>(::operator new(sizeof(TYPE) * nCapacity)) : NULL;
    for (INT_PTR i = 0; i < m_nSize; ++i) {
        new (&pNew[i]) TYPE(std::move(m_pData[i]));
        m_pData[i].~TYPE();
    }
    ::operator delete(m_pData);
    m_pData = pNew;
    m_nMaxSize = nCapacity;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetSize(INT_PTR nNewSize, INT_PTR nGrowBy)
{
    FX_ASSERT(nNewSize >= 0);
    if (nNewSize < 0)
        return;
    if (nGrowBy >= 0)
        m_nGrowBy = nGrowBy;
    if (nNewSize > m_nMaxSize) {
        INT_PTR nGrow = m_nGrowBy > 0 ? m_nGrowBy : (m_nSize / 8 < 4 ? 4 : (m_nSize / 8 > 1024 ? 1024 : m_nSize / 8));
        Reallocate(nNewSize < m_nMaxSize + nGrow ? m_nMaxSize + nGrow : nNewSize);
    }
    for (INT_PTR i = m_nSize; i < nNewSize; ++i)
        new (&m_pData[i]) TYPE();
    for (INT_PTR i = nNewSize; i < m_nSize; ++i)
        m_pData[i].~TYPE();
    m_nSize = nNewSize;
}

template <class TYPE, class ARG_TYPE>
INT_PTR CArray<TYPE, ARG_TYPE>::Append(const CArray& src)
{
    INT_PTR nOld = m_nSize;
    if (this == &src) {
        CArray copy(src);
        return Append(copy);
    }
    SetSize(m_nSize + src.m_nSize);
    for (INT_PTR i = 0; i < src.m_nSize; ++i)
        m_pData[nOld + i] = src.m_pData[i];
    return nOld;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Copy(const CArray& src)
{
    if (this == &src)
        return;
    SetSize(src.m_nSize);
    for (INT_PTR i = 0; i < src.m_nSize; ++i)
        m_pData[i] = src.m_pData[i];
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement)
{
    FX_ASSERT(nIndex >= 0);
    if (nIndex < 0)
        return;
    if (nIndex >= m_nSize) {
        TYPE copy(newElement);  // newElement may live in our own buffer
        SetSize(nIndex + 1);
        m_pData[nIndex] = std::move(copy);
    } else {
        m_pData[nIndex] = newElement;
    }
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount)
{
    FX_ASSERT(nIndex >= 0 && nCount > 0);
    if (nIndex < 0 || nCount <= 0)
        return;
    TYPE copy(newElement);
    if (nIndex >= m_nSize) {
        SetSize(nIndex + nCount);
    } else {
        INT_PTR nOld = m_nSize;
        SetSize(m_nSize + nCount);
        for (INT_PTR i = nOld - 1; i >= nIndex; --i)
            m_pData[i + nCount] = std::move(m_pData[i]);
    }
    for (INT_PTR i = 0; i < nCount; ++i)
        m_pData[nIndex + i] = copy;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::RemoveAt(INT_PTR nIndex, INT_PTR nCount)
{
    FX_ASSERT(nIndex >= 0 && nCount >= 0 && nIndex + nCount <= m_nSize);
    if (nIndex < 0 || nCount < 0 || nIndex + nCount > m_nSize)
        return;
    for (INT_PTR i = nIndex; i + nCount < m_nSize; ++i)
        m_pData[i] = std::move(m_pData[i + nCount]);
    SetSize(m_nSize - nCount);
}

class CStringArray : public CArray<CString, LPCSTR>
{
};

class CDWordArray : public CArray<DWORD, DWORD>
{
};

class CPtrArray : public CArray<void*, void*>
{
};
