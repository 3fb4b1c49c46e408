#include "Tokenizer.h"

CTokenizer::CTokenizer()
{
}

CTokenizer::CTokenizer(const CTokenizer& src) : m_strRest(src.m_strRest)
{
}

CTokenizer& CTokenizer::operator=(const CTokenizer& src)
{
    m_strRest = src.m_strRest;
    return *this;
}

CTokenizer::~CTokenizer()
{
}

CString CTokenizer::FirstToken(CString str, LPCSTR lpszDelims, int* pbFound)
{
    m_strRest = str;
    return NextToken(lpszDelims, pbFound);
}

CString CTokenizer::NextToken(LPCSTR lpszDelims, int* pbFound)
{
    if (pbFound)
        *pbFound = !m_strRest.IsEmpty();
    CString strToken = m_strRest.SpanExcluding(lpszDelims);
    m_strRest = m_strRest.Mid(strToken.GetLength());
    m_strRest = m_strRest.Mid(m_strRest.SpanIncluding(lpszDelims).GetLength());
    return strToken;
}

CString CTokenizer::GetRest() const
{
    return m_strRest;
}
