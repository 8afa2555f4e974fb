#pragma once
// pxlib hands each record back as values it allocated, texts included: the tests that
// read our tables through it give them back here.

#ifdef KV_HAVE_PXLIB
#include <paradox.h>

namespace pxlibrecord {

inline void release(pxdoc_t* px, pxval_t** vals, int fields) {
    for (int f = 0; f < fields; ++f) {
        if (vals[f]->type == pxfAlpha && vals[f]->value.str.val)
            px->free(px, vals[f]->value.str.val);
        px->free(px, vals[f]);
    }
    px->free(px, vals);
}

} // namespace pxlibrecord
#endif
