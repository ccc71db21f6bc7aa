x = #12/31/1999 11:59:59 PM# : y = &O777& : z = .5e-3 : w = Not a Eqv b Imp c Xor d
s = [odd name] + -2 ^ -2 \ 3
