#error "The portable core must not include Windows headers (oaidl.h): put platform code in a win/ folder."
