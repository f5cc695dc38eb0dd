#include "render/Picking.h"

#include <GL/gl.h>
#include <GL/glu.h>

std::optional<std::uint32_t> FindNearestHit(const std::uint32_t* buffer, std::size_t bufferSize, int hitCount) {
    if (buffer == nullptr || hitCount == 0) {
        return std::nullopt;
    }
    std::optional<std::uint32_t> best;
    std::uint32_t bestDepth = 0;
    std::size_t pos = 0;
    for (int hit = 0; hitCount < 0 || hit < hitCount; ++hit) {
        if (bufferSize - pos < 3) {
            break;
        }
        const std::uint32_t nameCount = buffer[pos];
        const std::uint32_t minDepth = buffer[pos + 1];
        if (nameCount > bufferSize - pos - 3) {
            break;
        }
        // Unsigned depths compare as the depth / 2^32 fractions they stand for.
        if (nameCount > 0 && (!best || minDepth < bestDepth)) {
            best = buffer[pos + 3];
            bestDepth = minDepth;
        }
        pos += 3 + nameCount;
    }
    return best;
}

std::optional<std::uint32_t> PickAt(double x, double y, const std::array<int, 4>& viewport,
                                    const std::function<void()>& applyProjection,
                                    const std::function<void()>& drawNames) {
    std::array<GLuint, kPickBufferSize> buffer{};
    glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);

    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    GLint pane[4] = {viewport[0], viewport[1], viewport[2], viewport[3]};
    gluPickMatrix(x, y, kPickRegion, kPickRegion, pane);
    if (applyProjection) {
        applyProjection();
    }
    glMatrixMode(GL_MODELVIEW);
    if (drawNames) {
        drawNames();
    }
    const GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(matrixMode));
    return FindNearestHit(buffer.data(), buffer.size(), hits);
}
