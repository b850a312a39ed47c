// What following a stream's title costs: watches one stream with the program's own reader for a
// while and tells every read (kind, bytes) and every new title, one line each, then the totals.
//
//     title_cost URL SECONDS
#include "station/IcyReads.h"
#include "station/NowPlaying.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {

// The real reader, counting what each read brought in.
class CountingReader final : public sora::TitleReader
{
public:
    qint64 bytes = 0;
    int statusReads = 0;
    int icyReads = 0;
    QElapsedTimer clock;

    void readStatus(const QUrl& address, QObject* context,
                    std::function<void(const sora::StatusReply&)> done) override
    {
        ++statusReads;
        m_real.readStatus(address, context, [this, done](const sora::StatusReply& r) {
            bytes += r.bytes;
            std::printf("%7.1f s  status  %6lld bytes%s\n", clock.elapsed() / 1000.0, static_cast<long long>(r.bytes),
                        r.ok ? "" : "  (failed)");
            done(r);
        });
    }
    void readIcy(const QUrl& stream, QObject* context, std::function<void(const sora::IcyReply&)> done) override
    {
        ++icyReads;
        m_real.readIcy(stream, context, [this, done](const sora::IcyReply& r) {
            bytes += r.bytes;
            std::printf("%7.1f s  stream  %6lld bytes%s\n", clock.elapsed() / 1000.0, static_cast<long long>(r.bytes),
                        r.hasMetadata ? "" : "  (no metadata)");
            done(r);
        });
    }

private:
    sora::IcyTitleReader m_real;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: title_cost URL SECONDS\n");
        return 2;
    }
    const QUrl stream(QString::fromLocal8Bit(argv[1]));
    const int seconds = QString::fromLocal8Bit(argv[2]).toInt();
    CountingReader reader;
    reader.clock.start();
    sora::NowPlaying playing(reader, nullptr);
    QObject::connect(&playing, &sora::NowPlaying::NewSong, [&reader](const QString& title) {
        std::printf("%7.1f s  title   %s\n", reader.clock.elapsed() / 1000.0, title.toUtf8().constData());
    });
    playing.watch(stream);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("total %lld bytes in %d s: %d status reads, %d stream reads\n", static_cast<long long>(reader.bytes),
                seconds, reader.statusReads, reader.icyReads);
    std::fflush(stdout);
    return 0;
}
