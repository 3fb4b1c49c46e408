// CTokenizer: splits a text into tokens one call at a time.
//
//   CTokenizer tok;
//   int bFound;
//   for (CString s = tok.FirstToken(strTabs, ",", &bFound); bFound; s = tok.NextToken(",", &bFound))
//       ...
//
// Delimiters after a token are consumed with it; a text that begins with a delimiter gives an
// empty first token.
#pragma once

#include "../bexdefs.h"

class BEX_API CTokenizer
{
public:
    CTokenizer();
    CTokenizer(const CTokenizer& src);
    CTokenizer& operator=(const CTokenizer& src);
    ~CTokenizer();

    // Makes str the text to split and returns its first token.
    CString FirstToken(CString str, LPCSTR lpszDelims, int* pbFound);
    // The next token; *pbFound (pbFound may be NULL) is FALSE when the text was used up.
    CString NextToken(LPCSTR lpszDelims, int* pbFound);
    // What has not been split yet.
    CString GetRest() const;

private:
    CString m_strRest;
};
