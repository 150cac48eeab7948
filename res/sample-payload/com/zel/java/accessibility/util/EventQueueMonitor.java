package com.zel.java.accessibility.util;

import java.awt.EventQueue;

/*
 * SAMPLE STAND-IN, not the Java Ostrel's: the event queue that awt.properties of a 1.1 VM names, so that
 * the sample payload's tamrix jars load where the real ones would. It queues events as its parent does.
 */
public class EventQueueMonitor extends EventQueue {

    public EventQueueMonitor() {
    }
}
