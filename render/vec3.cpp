// vec3.cpp - the Vec3 functions that the face normals of draw_scene are
// built from. Each stored component is a single-precision float.
#include <math.h>

#include "render.h"

void subtract_vectors(const Vec3* a, const Vec3* b, Vec3* out)
{
    out->x = a->x - b->x;
    out->y = a->y - b->y;
    out->z = a->z - b->z;
}

void copy_vector(const Vec3* source, Vec3* destination)
{
    destination->x = source->x;
    destination->y = source->y;
    destination->z = source->z;
}

void cross_vectors(const Vec3* a, const Vec3* b, Vec3* out)
{
    // Built aside first, so out may be a or b.
    Vec3 product;
    product.x = a->y * b->z - a->z * b->y;
    product.y = a->z * b->x - a->x * b->z;
    product.z = a->x * b->y - a->y * b->x;
    copy_vector(&product, out);
}

void normalize_vector(const Vec3* v, Vec3* out)
{
    // The squared length in double: it neither underflows nor overflows for
    // any finite float components.
    double x = v->x;
    double y = v->y;
    double z = v->z;
    double s = 1.0 / sqrt(x * x + y * y + z * z);
    out->x = (float)(x * s);
    out->y = (float)(y * s);
    out->z = (float)(z * s);
}
