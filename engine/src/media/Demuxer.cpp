#include "Demuxer.h"

namespace engine {
namespace {

constexpr int kIoBufferBytes = 64 << 10;

std::string tag(const AVDictionary* metadata, const char* key) {
    const AVDictionaryEntry* entry = ff().av_dict_get(metadata, key, nullptr, 0);
    return entry && entry->value ? entry->value : "";
}

} // namespace

std::string streamFormatName(const AVCodecParameters& parameters) {
    const uint32_t code = parameters.codec_tag;
    char text[5] = {static_cast<char>(code & 0xFF), static_cast<char>((code >> 8) & 0xFF),
                    static_cast<char>((code >> 16) & 0xFF), static_cast<char>((code >> 24) & 0xFF), 0};
    bool printable = code != 0;
    for (int i = 0; i < 4; ++i)
        printable = printable && text[i] >= 0x20 && text[i] < 0x7F;
    const std::string name = ff().avcodec_get_name(parameters.codec_id);
    return printable ? std::string(text) + " (" + name + ")" : name;
}

Demuxer::Demuxer(std::shared_ptr<ByteSource> source) : source_(std::move(source)) {}

Demuxer::~Demuxer() {
    if (context_)
        ff().avformat_close_input(&context_);
    if (io_) {
        ff().av_free(io_->buffer);
        ff().avio_context_free(&io_);
    }
}

void Demuxer::abort() {
    aborted_ = true;
    source_->abort();
}

int Demuxer::readPacket(void* opaque, uint8_t* buffer, int size) {
    auto* self = static_cast<Demuxer*>(opaque);
    const long n = self->source_->read(self->position_, buffer, static_cast<size_t>(size));
    if (n < 0)
        return AVERROR(EIO);
    if (n == 0)
        return AVERROR_EOF;
    self->position_ += static_cast<uint64_t>(n);
    return static_cast<int>(n);
}

int64_t Demuxer::seekTo(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<Demuxer*>(opaque);
    const int64_t length = self->source_->length();
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return length >= 0 ? length : AVERROR(ENOSYS);
    case SEEK_SET:
        break;
    case SEEK_CUR:
        offset += static_cast<int64_t>(self->position_);
        break;
    case SEEK_END:
        if (length < 0)
            return AVERROR(ENOSYS);
        offset += length;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (offset < 0)
        return AVERROR(EINVAL);
    self->position_ = static_cast<uint64_t>(offset);
    return offset;
}

int Demuxer::interrupted(void* opaque) {
    return static_cast<Demuxer*>(opaque)->aborted_.load() ? 1 : 0;
}

bool Demuxer::open() {
    auto* buffer = static_cast<uint8_t*>(ff().av_malloc(kIoBufferBytes));
    if (!buffer)
        return false;
    io_ = ff().avio_alloc_context(buffer, kIoBufferBytes, 0, this, &Demuxer::readPacket, nullptr,
                                  &Demuxer::seekTo);
    if (!io_) {
        ff().av_free(buffer);
        return false;
    }
    io_->seekable = source_->length() >= 0 ? AVIO_SEEKABLE_NORMAL : 0;
    AVFormatContext* context = ff().avformat_alloc_context();
    if (!context)
        return false;
    context->pb = io_;
    context->flags |= AVFMT_FLAG_CUSTOM_IO;
    context->interrupt_callback = {&Demuxer::interrupted, this};
    // A failed open frees the context it was given.
    if (ff().avformat_open_input(&context, "", nullptr, nullptr) < 0)
        return false;
    context_ = context;
    if (ff().avformat_find_stream_info(context_, nullptr) < 0 || aborted_)
        return false;
    // Nothing is read of streams that are not played.
    for (unsigned i = 0; i < context_->nb_streams; ++i)
        context_->streams[i]->discard = AVDISCARD_ALL;
    return true;
}

AVStream* Demuxer::stream(int index) const {
    if (!context_ || index < 0 || static_cast<unsigned>(index) >= context_->nb_streams)
        return nullptr;
    return context_->streams[index];
}

int Demuxer::durationMs() const {
    if (!context_ || context_->duration <= 0)
        return 0;
    return static_cast<int>(std::min<int64_t>(context_->duration / 1000, INT32_MAX));
}

int Demuxer::bestStream(AVMediaType type) const {
    if (!context_)
        return -1;
    const int found = ff().av_find_best_stream(context_, type, -1, -1, nullptr, 0);
    if (found < 0)
        return -1;
    if (type == AVMEDIA_TYPE_VIDEO) {
        const AVCodecParameters* p = context_->streams[found]->codecpar;
        if (p->width <= 0 || p->height <= 0 || p->width > kMaxPictureSide || p->height > kMaxPictureSide)
            return -1;
        // Cover art is a picture, not a movie.
        if (context_->streams[found]->disposition & AV_DISPOSITION_ATTACHED_PIC)
            return -1;
    }
    return found;
}

std::vector<TrackInfo> Demuxer::tracks(AVMediaType type) const {
    std::vector<TrackInfo> list;
    if (!context_)
        return list;
    for (unsigned i = 0; i < context_->nb_streams; ++i) {
        const AVStream* s = context_->streams[i];
        if (s->codecpar->codec_type != type || (s->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        list.push_back({static_cast<int>(i), ff().avcodec_get_name(s->codecpar->codec_id),
                        tag(s->metadata, "language"), tag(s->metadata, "title")});
    }
    return list;
}

int Demuxer::read(AVPacket* packet) {
    return ff().av_read_frame(context_, packet);
}

bool Demuxer::seek(int ms) {
    const int64_t target = static_cast<int64_t>(ms) * 1000 + std::max<int64_t>(context_->start_time, 0);
    // Any key frame at or before the target; the decoders then skip to it.
    if (ff().avformat_seek_file(context_, -1, INT64_MIN, target, target, 0) >= 0)
        return true;
    return ff().avformat_seek_file(context_, -1, INT64_MIN, target, INT64_MAX, 0) >= 0;
}

} // namespace engine
