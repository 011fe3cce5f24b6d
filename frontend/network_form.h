// The network dialog: host or join a session.
#pragma once

class TNetworkForm {
  public:
    void FormCreate() {}
    bool Visible = false;
};
