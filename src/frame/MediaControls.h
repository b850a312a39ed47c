#pragma once

#include <QObject>

namespace sora {

class MDIForm1;
class PlayerModel;
struct PlayerState;

// The desktop's media controls: the player model published as MPRIS 2 on the session bus. Only
// the bus lives here; what the player is and does is the model's.
class MediaControls final : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* kService = "org.mpris.MediaPlayer2.sorawindowex";
    static constexpr const char* kPath = "/org/mpris/MediaPlayer2";

    explicit MediaControls(MDIForm1& main);
    ~MediaControls() override;

    // Takes the name on the session bus; false, with one line on standard error, when there is
    // no bus or the name is taken.
    bool publish();
    void withdraw();

    PlayerModel& model() const { return *m_model; }

private:
    void announce(const PlayerState& before);

    MDIForm1& m_main;
    PlayerModel* m_model;
    bool m_published = false;
};

} // namespace sora
