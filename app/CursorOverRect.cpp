#include "app/CursorOverRect.h"

#include "framework/platform/FwPlatform.h"

namespace {
// Client pixel of the sprite origin (the centre of the 1280 x 720 client area).
constexpr int kClientCentreX = 640;
constexpr int kClientCentreY = 360;
}  // namespace

bool CursorOverRect(const Vector3& centre, float width, float height) {
    FwPlatform& platform = FwGetPlatform();
    const FwPoint client = platform.ScreenToClient(platform.GetCursorPos());
    const float cx = static_cast<float>(client.x - kClientCentreX);
    const float cy = static_cast<float>(kClientCentreY - client.y);
    const float halfWidth = width / 2.0f;
    const float halfHeight = height / 2.0f;
    const float box = static_cast<float>(kCursorHalfSize);
    return cx + box > centre.x - halfWidth && centre.x + halfWidth > cx - box && cy + box > centre.y - halfHeight &&
           centre.y + halfHeight > cy - box;
}
