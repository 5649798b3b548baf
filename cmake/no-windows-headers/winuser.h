#error "The portable core must not include Windows headers (winuser.h): put platform code in a win/ folder."
