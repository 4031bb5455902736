#pragma once
// How recordings reach libVLC: the one process-wide instance, the options each recording is
// opened with, and what the container tells before the first picture. Everything here is
// plain functions on libVLC handles; the player itself (events, frames, clock) is VlcEngine.
#include <QSize>
#include <QStringList>

struct libvlc_instance_t;
struct libvlc_media_t;

namespace VlcMedia {

// Arguments for the shared instance; only effective before its first use. Without a call,
// "--no-xlib --quiet" and friends are used, plus a silent audio output when the GUI runs on
// the offscreen platform (no sound device to retry on every audio block).
void setInstanceArguments(const QStringList &arguments);
QStringList instanceArguments();
// Null when libVLC cannot be initialised (missing plugins).
libvlc_instance_t *instance();

// Per-media decoder options for a picture of the given height (0 = unknown): several decoding
// threads above 1080 lines, one up to it (extra threads delay the first picture); hardware
// decoding unless the instance arguments or TRAVA_HW_DECODING=0 forbid it.
QStringList options(int pictureHeight);

// The size libVLC converts to for a picture of sourceSize shown in an area of areaSize:
// never larger than the recording, aspect kept, even sides.
QSize fittedFrameSize(const QSize &sourceSize, const QSize &areaSize);

// Whether pictures converted at `current` size are worth a restart of the video output to get
// `wanted` instead: when they would be visibly soft, or mostly wasted.
bool outputWorthRestarting(const QSize &current, const QSize &wanted);

// The largest video track's size as the container's header tells it (waits at most ~0.6 s);
// empty when it does not say, as transport streams often do not before decoding.
QSize probePictureSize(libvlc_media_t *media);

// Frames per second of the media's video track once it plays; 0 while unknown.
double frameRate(libvlc_media_t *media);

} // namespace VlcMedia
