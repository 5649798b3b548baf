#error "The portable core must not include Windows headers (commctrl.h): put platform code in a win/ folder."
