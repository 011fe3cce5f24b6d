// The key-configuration dialog.
#pragma once

class TKeyConfigForm {
  public:
    void FormCreate() {}
    bool Visible = false;
};
