// The half of the engine that runs on libVLC's own threads: events and pictures are stamped
// with the moment they happen and handed to the GUI thread with queued calls, never blocking.
#include "playback/vlcengine.h"
#include "playback/vlcframepool.h"
#include "playback/vlcmedia.h"

#include <QMetaObject>

#include <algorithm>
#include <cstring>
#include <mutex>

#include <vlc/vlc.h>

namespace {
using PictureRef = std::shared_ptr<VlcEngine::RawFrame>;
using VlcMedia::packSize;
using VlcMedia::unpackSize;
} // namespace

void VlcEngine::onEvent(const libvlc_event_t *event, void *opaque)
{
    auto *self = static_cast<VlcEngine *>(opaque);
    qint64 value = 0;
    if (event->type == libvlc_MediaPlayerTimeChanged)
        value = event->u.media_player_time_changed.new_time;
    else if (event->type == libvlc_MediaPlayerLengthChanged)
        value = event->u.media_player_length_changed.new_length;
    const quint64 generation = self->m_generation.load();
    const int type = event->type;
    // The moment it was raised: a time report is the player's clock at this moment, a pause
    // or a resume stops or starts the clock at this moment.
    const qint64 clockUs = libvlc_clock();
    // Never block here (the GUI may be waiting for libVLC): a queued call keeps the order.
    QMetaObject::invokeMethod(
        self, [self, generation, type, value, clockUs] { self->handleEvent(generation, type, value, clockUs); },
        Qt::QueuedConnection);
}

unsigned VlcEngine::formatCallback(void **opaque, char *chroma, unsigned *width, unsigned *height, unsigned *pitches,
                                   unsigned *lines)
{
    auto *self = static_cast<VlcEngine *>(*opaque);
    if (*width == 0 || *height == 0 || *width > 16384 || *height > 16384)
        return 0;
    std::memcpy(chroma, "RV32", 4);
    // libVLC offers the decoder's buffer, padded beyond the picture (180 lines become 194).
    // Asked for another size, it scales the visible picture onto the whole buffer: so the
    // size asked for comes from the visible picture, when the container told it.
    const QSize buffer{int(*width), int(*height)};
    const QSize visible = unpackSize(self->m_pictureSize.load());
    const bool known = !visible.isEmpty() && visible.width() <= buffer.width() && visible.height() <= buffer.height();
    const QSize source = known ? visible : buffer;
    const QSize size = known ? VlcMedia::fittedFrameSize(visible, unpackSize(self->m_displaySize.load())) : buffer;
    self->m_wholeBuffer = known;
    *width = unsigned(size.width());
    *height = unsigned(size.height());
    self->m_formatSource = packSize(source);
    self->m_formatSize = packSize(size);
    const unsigned pitch = (*width * 4 + 63) / 64 * 64;
    pitches[0] = pitch;
    lines[0] = *height;
    self->m_pool->configure(int(*width), int(*height), int(pitch));
    ++self->m_formatGeneration;
    return 3;
}

void VlcEngine::cleanupCallback(void *) {}

void *VlcEngine::lockCallback(void *opaque, void **planes)
{
    auto *self = static_cast<VlcEngine *>(opaque);
    auto frame = std::make_shared<RawFrame>();
    frame->pool = self->m_pool;
    frame->slot = self->m_pool->take();
    frame->formatGeneration = self->m_formatGeneration.load();
    planes[0] = frame->slot.data;
    auto *ref = new PictureRef(std::move(frame));
    // libVLC unlocks a picture before it displays it, and may drop a late picture without
    // displaying it at all; so the reference is kept here until it is displayed, or until
    // libVLC has evidently recycled the picture (its pool is a few pictures deep).
    std::lock_guard lock(self->m_lockedMutex);
    self->m_lockedPictures.push_back(ref);
    while (self->m_lockedPictures.size() > 8) {
        delete static_cast<PictureRef *>(self->m_lockedPictures.front());
        self->m_lockedPictures.pop_front();
    }
    return ref;
}

void VlcEngine::displayCallback(void *opaque, void *picture)
{
    auto *self = static_cast<VlcEngine *>(opaque);
    PictureRef frame;
    {
        std::lock_guard lock(self->m_lockedMutex);
        auto it = std::find(self->m_lockedPictures.begin(), self->m_lockedPictures.end(), picture);
        if (it == self->m_lockedPictures.end())
            return;
        frame = std::move(*static_cast<PictureRef *>(picture));
        frame->displayClock = libvlc_clock();
        delete static_cast<PictureRef *>(picture);
        self->m_lockedPictures.erase(it);
    }
    QMetaObject::invokeMethod(
        self, [self, frame] { self->handleFrame(frame); }, Qt::QueuedConnection);
}

