#include "RenderingPath.h"

#include <QByteArray>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>

#include <array>

namespace sora {

namespace {

// The names OpenGL gives its renderer when it draws on the processor: no graphics hardware.
bool isSoftwareRenderer(QByteArrayView glRenderer)
{
    static constexpr std::array<const char*, 4> kNames{"llvmpipe", "softpipe", "swrast",
                                                       "software rasterizer"};
    const QByteArray name = glRenderer.toByteArray().toLower();
    for (const char* n : kNames) {
        if (name.contains(n))
            return true;
    }
    return false;
}

} // namespace

void chooseRenderingPath()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QMLSCENE_DEVICE"))
        return;
    // The context the engine shares its frames through; without one the engine draws in software
    // by itself.
    QOpenGLContext* shared = QOpenGLContext::globalShareContext();
    if (!shared || !shared->isValid())
        return;
    QOffscreenSurface surface;
    surface.setFormat(shared->format());
    surface.create();
    QOpenGLContext probe;
    probe.setFormat(shared->format());
    if (!probe.create() || !probe.makeCurrent(&surface))
        return;
    const auto* renderer = reinterpret_cast<const char*>(probe.functions()->glGetString(GL_RENDERER));
    const bool software = renderer && isSoftwareRenderer(renderer);
    probe.doneCurrent();
    if (software)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

} // namespace sora
