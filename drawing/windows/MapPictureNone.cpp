#include "MapPicture.h"

// The Windows build has no drawing library for pictures: it says so.
MapPicture drawMapPicture(const std::vector<Segment>&, PictureFormat, int) {
    MapPicture picture;
    picture.error = "this build makes no PNG or PDF pictures; convert to .svg instead";
    return picture;
}
