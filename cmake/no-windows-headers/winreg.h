#error "The portable core must not include Windows headers (winreg.h): put platform code in a win/ folder."
