#include "app/network_run.h"

#include "app/recorder.h"
#include "frontend/network_form.h"
#include "match/net_receive.h"
#include "match/tick.h"
#include "world/level_list.h"

void PumpSession(TProgram& p, Session& session, int32_t nowMs) {
    Game& g = *p.G;
    // A ticking game handles what arrives at its last tick's count, which
    // its next tick carries on from; one that does not tick yet (a client
    // joining) at this one, so that its clock is set and its pings timed
    // by the present.
    if (!GameTicking(g)) g.TickNow = nowMs;
    g.HeardTick = nowMs;
    TSessionEvent e;
    while (session.Poll(e)) {
        RecordSessionEvent(p, e, nowMs);
        switch (e.Kind) {
        case TSessionEvent::Joined:
            // Our vehicles in the host's lists are known by this id.
            g.LocalPlayerId = static_cast<int32_t>(session.LocalPlayerId());
            p.Network.SessionEvent(e);
            break;
        case TSessionEvent::Found:
            p.Network.SessionEvent(e);
            break;
        case TSessionEvent::Refused:
            // A join from the command line has no dialog to stay open in.
            if (p.Network.Joining)
                p.Network.SessionEvent(e);
            else if (p.QuickStarted)
                p.NetworkFailure = e.Text.empty() ? "The game could not be joined" : e.Text;
            break;
        default:
            if (p.Net) HandleSessionEvent(g, *p.Net, e);
            RecordAfterSessionEvent(p, e, nowMs);
            if (e.Kind == TSessionEvent::Closed && p.QuickStarted)
                p.NetworkFailure = e.Text.empty() ? "The session ended" : e.Text;
            else if (e.Kind == TSessionEvent::Closed)
                p.Start.SessionEnded(e.Text);
            break;
        }
    }
    p.Network.Timer(nowMs);
    p.Start.NetworkPass();
    // A developer's remote shutdown: "Bye bye..." has been said a second ago.
    if (g.ShutdownTime >= 0 && nowMs - g.ShutdownTime >= 0) p.App.Terminate();
}

std::string OpenSessionFromOptions(TProgram& p, Session& session, const TOptions& o) {
    Game& g = *p.G;
    if (o.Name) g.Start.TankSetups[0].Name = *o.Name;
    const std::string player = g.Start.TankSetups[0].Name;
    std::string error;
    g.NetworkGame = true;
    g.HaveMap = g.HaveSetup = g.HaveTanklist = g.HaveScores = false;
    if (o.Host) {
        const int style = g.Start.CaptureTheCowBox ? 2 : g.Start.TeamWarBox ? 1 : 0;
        if (!session.Host(SessionPrefixes[style] + *o.Host, player, o.Port, error)) return error;
        g.ClientMode = false;
        return {};
    }
    std::string host;
    uint16_t port = 0;
    if (!SplitAddress(*o.Join, host, port)) return "--join: \"" + *o.Join + "\" is no address";
    // The host's level is looked up among every level here.
    TLevelLists lists;
    BuildLevelList(g, lists);
    g.Start.LevelList = lists.AllLevels;
    if (!session.Join(host, port ? port : o.Port, player, error)) return error;
    g.ClientMode = true;
    return {};
}

void ClientAutopilot(Game& g, TAutopilotKeys& keys) {
    if (g.ClientMode && g.StatusReceived && g.LevelRunning) AutopilotStep(g, g.Player1, keys);
}
