PLS model of the calibration run, 3 components
3 12 2
0.125 -0.5
