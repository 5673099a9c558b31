// The host's menus: groups by name, items with their texts and check marks.
#ifndef SIMHOST_MENUS_H
#define SIMHOST_MENUS_H

namespace simhost {

class Host;

class Menus {
public:
    explicit Menus(Host& host) : host_(host) {}

private:
    [[maybe_unused]] Host& host_;
};

}  // namespace simhost

#endif
