/*
 * sim_scenario.h - simulated remotes driven by a scenario file, for the simulated build of
 * tavel.dll. The file is named by the environment variable TAVEL_SIM_SCENARIO; one command
 * per line, '#' starts a comment. Remotes are numbered from 1 in the order they are added.
 *
 *   remote                          add a Wii Remote
 *   other VID PID [openfails] [capsfail]   add another HID device (hex ids)
 *   ext N nunchuk|classic|pro|none  plug in (or pull out) an extension
 *   ext N id B0 B1 B2 B3 B4 B5       plug in an extension with this identifier (hex bytes)
 *   product N PID                   the remote's product id (hex): 0306, or 0330 for a Wii Remote Plus
 *   lengths N IN OUT                report lengths the capability query gives (22 by default)
 *   setreport N works|fails|never|delay MS   how HidD_SetOutputReport behaves
 *   cancelstuck N                   cancelled transfers never complete
 *   press N BUTTON... / release N BUTTON...   core buttons: A B MINUS HOME PLUS ONE TWO UP DOWN LEFT RIGHT
 *   accel N X Y Z                   raw accelerometer bytes
 *   nunchuk N SX SY C Z             raw stick bytes and buttons (1 pressed)
 *   classic N LX LY RX RY LT RT [BUTTON...]   raw stick and trigger values; buttons a b minus home plus x y up down left right l r zl zr
 *   ir N X1 Y1 [X2 Y2]              the camera sees the sensor bar's two dots (or one) there, no others
 *   irdot N I X Y SIZE              dot I (0..3) at X 0..1023, Y 0..767, size 0..15
 *   irhide N I                      dot I leaves the camera's view
 *   camerafails N COUNT             the next COUNT camera register writes are refused
 *   motionplus N on|off             a MotionPlus plugged in (product 0330 has one built in)
 *   gyro N YAW ROLL PITCH           rates in degrees a second
 *   gyrobias N YAW ROLL PITCH NOISE rest bias and noise, in raw units
 *   battery N LEVEL [low]
 *   latency N MS                    reports reach the system MS milliseconds after they are sent
 *   off N                           switch the remote off
 *   wait MS                         pause the scenario
 *   waitconnected N                 pause until the library has set remote N up
 *   waitfile PATH                   pause until the file exists (a test's cue)
 *   stamp PATH                      append the time (ms of the performance counter) to PATH
 *   statusinterval MS               the library asks an idle remote for its status this often
 *                                   (0: at every worker step; for the benchmarks)
 *
 * Commands before the first pause run while the library loads, so the remotes exist
 * before the first wm_Connect; the rest run on a scenario thread.
 */
#ifndef SIM_SCENARIO_H
#define SIM_SCENARIO_H

/* Reads and starts the scenario; returns 0 and prints why when a line is not understood. */
int StartScenario(const wchar_t *pszPath);
void StopScenario(void);

#endif
